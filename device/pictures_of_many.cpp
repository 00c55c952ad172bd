#include "device/pictures_of_many.h"

#include <algorithm>
#include <thread>

#include "device/each_on_threads.h"

namespace kovra {

namespace {

// More threads than this only wait for the storage.
constexpr unsigned kMostThreads = 8;
// Videos read ahead per thread: enough that no thread waits on another's long video, few
// enough that their pictures take little memory.
constexpr std::size_t kAheadPerThread = 2;

unsigned threadCount() {
    unsigned cores = std::thread::hardware_concurrency();
    return std::max(1u, std::min(cores, kMostThreads));
}

} // namespace

void readPicturesOfEach(Platform& platform, const std::vector<std::string>& paths,
                        const PictureSizes& sizes,
                        const std::function<void(std::size_t, VideoPictures&)>& take) {
    unsigned threads = threadCount();
    std::size_t group = threads * kAheadPerThread;
    std::vector<VideoPictures> read(group);
    for (std::size_t first = 0; first < paths.size(); first += group) {
        std::size_t count = std::min(group, paths.size() - first);
        doEachOnThreads(count, threads, [&](std::size_t i) {
            read[i] = readVideoPictures(platform, paths[first + i], sizes);
        });
        for (std::size_t i = 0; i < count; ++i) {
            take(first + i, read[i]);
            read[i] = VideoPictures();
        }
    }
}

} // namespace kovra
