#include "bench/support/card_copies.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/support/work_folder.h"

namespace kovra::bench {

namespace {

constexpr double kCutAt = 0.6;
constexpr std::size_t kSignatureSize = 4;

} // namespace

std::string recordingName(std::size_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "MOV%04zu.avi", number);
    return name;
}

std::string recordingPath(const std::filesystem::path& folder, std::size_t number) {
    return (folder / recordingName(number)).string();
}

bool writeCopies(const Clip& clip, const std::filesystem::path& folder, std::size_t count,
                 std::size_t cutEvery, CardCopies& written, const std::filesystem::path& twin) {
    written = CardCopies{};
    std::filesystem::create_directories(folder);
    if (!twin.empty())
        std::filesystem::create_directories(twin);
    std::vector<std::uint8_t> mars = clip.bytes;
    std::memcpy(mars.data(), "MARS", kSignatureSize);
    const std::size_t cutSize = static_cast<std::size_t>(static_cast<double>(mars.size()) * kCutAt);
    for (std::size_t i = 1; i <= count; ++i) {
        bool cut = cutEvery != 0 && i % cutEvery == 0;
        std::size_t size = cut ? cutSize : mars.size();
        std::string name = recordingName(i);
        if (!writeBytes(folder / name, mars.data(), size) ||
            (!twin.empty() && !writeBytes(twin / name, clip.bytes.data(), size))) {
            std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
            return false;
        }
        ++written.files;
        written.cut += cut ? 1 : 0;
        written.bytes += size;
    }
    return true;
}

} // namespace kovra::bench
