// The gallery's pictures of a card: readVideoPictures over every recording, most closed and
// indexed, every tenth cut by a power cut. It prints the share of the recordings' bytes read
// (goal: at most 3 %), the time a video takes, and the pictures' sizes.
//
//   make bench                                     all benchmarks
//   build/bench/bench/kovra_bench_pictures [files] this one; 40 recordings of about 8 MiB
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/support/card_copies.h"
#include "bench/support/clip.h"
#include "bench/support/faults.h"
#include "bench/support/figures.h"
#include "bench/support/work_folder.h"
#include "device/video_pictures.h"

namespace {

using namespace kovra::bench;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kDefaultFiles = 40;
constexpr int kClipSeconds = 31; // about 8 MiB
constexpr std::size_t kCutEvery = 10;
constexpr double kShareGoal = 0.03;
constexpr double kPercent = 100, kKiB = 1024, kMilliseconds = 1000;

} // namespace

int main(int argc, char** argv) {
    std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : kDefaultFiles;
    WorkFolder work("pictures");
    Clip clip;
    CardCopies card;
    if (files == 0 || !makeClip(work / "clip.avi", kClipSeconds, clip) ||
        !writeCopies(clip, work / "DCIM", files, kCutEvery, card))
        return 1;
    work.settle();

    std::uint64_t read = 0, coverBytes = 0, stripBytes = 0;
    std::size_t covers = 0, strips = 0;
    double seconds = 0;
    PageFaults faults;
    for (std::size_t i = 1; i <= files; ++i) {
        std::string name = recordingName(i);
        Clock::time_point start = Clock::now();
        PageFaults before = pageFaultsSoFar();
        kovra::VideoPictures p =
            kovra::readVideoPictures(kovra::systemPlatform(), (work / "DCIM" / name).string());
        faults += pageFaultsSoFar() - before;
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        if (p.error != kovra::OsError::None || !p.cover) {
            std::fprintf(stderr, "%s: no cover\n", name.c_str());
            return 1;
        }
        read += p.bytesRead;
        coverBytes += p.cover->bytes.size();
        ++covers;
        for (const auto& s : p.strip)
            if (s) {
                stripBytes += s->bytes.size();
                ++strips;
            }
    }
    double share = static_cast<double>(read) / static_cast<double>(card.bytes);
    std::printf("pictures of %zu recordings (%zu cut), %.1f MiB: %s\n", card.files, card.cut,
                static_cast<double>(card.bytes) / (kKiB * kKiB), kClipDescription);
    std::printf("  read %.1f KiB a recording, %.2f %% of the bytes (goal: at most %.0f %%: %s)\n",
                static_cast<double>(read) / kKiB / static_cast<double>(files), share * kPercent,
                kShareGoal * kPercent, verdict(share <= kShareGoal));
    std::printf("  %.1f ms a recording (page cache warm; page faults %.1f + %.1f major a "
                "recording), %zu covers of %.1f KiB, %zu strip pictures of %.1f KiB on average\n",
                seconds * kMilliseconds / static_cast<double>(files),
                static_cast<double>(faults.minor) / static_cast<double>(files),
                static_cast<double>(faults.major) / static_cast<double>(files), covers,
                static_cast<double>(coverBytes) / kKiB / static_cast<double>(covers), strips,
                strips ? static_cast<double>(stripBytes) / kKiB / static_cast<double>(strips) : 0);
    return share <= kShareGoal ? 0 : 1;
}
