#include "device/pictures_of_many.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

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
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            for (std::size_t i = next++; i < count; i = next++)
                read[i] = readVideoPictures(platform, paths[first + i], sizes);
        };
        std::vector<std::thread> helpers;
        for (unsigned t = 1; t < threads && t < count; ++t) {
            try {
                helpers.emplace_back(work);
            } catch (const std::system_error&) {
                break; // this thread reads the rest
            }
        }
        work();
        for (std::thread& helper : helpers)
            helper.join();
        for (std::size_t i = 0; i < count; ++i) {
            take(first + i, read[i]);
            read[i] = VideoPictures();
        }
    }
}

} // namespace kovra
