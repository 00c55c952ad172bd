// kovra-cli export of a card against a plain recursive copy of the same files, and a second
// export of the same card, which finds every file already there, in one run.
//
//   make bench                                     all benchmarks
//   build/bench/bench/kovra_bench_export [files]   this one; 200 clips (about 300 MiB) by default
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/card_copies.h"
#include "bench/support/clip.h"
#include "bench/support/side_by_side.h"
#include "bench/support/work_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace kovra::bench;

constexpr std::size_t kDefaultFiles = 200;
constexpr int kClipSeconds = 6;
constexpr std::size_t kCutEvery = 20;
constexpr int kRounds = 7;
constexpr double kCopyGoal = 1.25, kSecondGoal = 0.05;
constexpr double kMiB = 1 << 20;

enum SideIndex : std::size_t { kCp, kStreamCopy, kExport };

} // namespace

int main(int argc, char** argv) {
    std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : kDefaultFiles;
    if (files == 0)
        files = kDefaultFiles;
    WorkFolder work("export");
    const std::string card = (work / "card").string(), out = (work / "out").string();
    const std::string report = (work / "export.json").string();
    {
        Clip clip;
        CardCopies copies;
        if (!makeClip(work / "clip.avi", kClipSeconds, clip) ||
            !writeCopies(clip, work / "card" / "DCIM", files, kCutEvery, copies))
            return 1;
        std::printf("export: a card of %zu \"MARS\" clips in DCIM/ (%d s, %s), %zu of them cut "
                    "without an index, %.0f MiB; every side reads from the page cache and writes "
                    "to the same disk, the writeback of what it wrote left out\n",
                    copies.files, kClipSeconds, kClipDescription, copies.cut, copies.bytes / kMiB);
        files = copies.files;
    }

    std::vector<Side> sides = {
        {"cp -r CARD OUT (the kernel copies, copy_file_range)", {"cp", "-r", card, out}},
        {"stream_copy CARD OUT (read and write, 1 MiB buffer)", {KOVRA_STREAM_COPY, card, out}},
        {"kovra-cli export OUT --from CARD",
         {KOVRA_CLI, "export", out, "--from", card, "--json"},
         report},
    };
    auto fresh = [&] {
        fs::remove_all(out);
        work.settle();
    };
    if (!runAlternating(sides, kRounds, fresh, (work / "stderr.txt").string()))
        return 1;
    // The last round's export is still in out: the check and the second export use it.
    std::string json = readText(report);
    if (json.find("\"exported\": " + std::to_string(files)) == std::string::npos ||
        json.find("\"failed\": 0") == std::string::npos) {
        std::fprintf(stderr, "export did not write every file:\n%s", json.c_str());
        return 1;
    }
    std::vector<Side> again = {
        {"second kovra-cli export OUT --from CARD", sides[kExport].command, report}};
    // No warm-up needed, but runAlternating's first round is not counted all the same.
    if (!runAlternating(
            again, kRounds, [&] { work.settle(); }, (work / "stderr.txt").string()))
        return 1;
    if (readText(report).find("\"skipped\": " + std::to_string(files)) == std::string::npos) {
        std::fprintf(stderr, "the second export did not skip every file:\n%s",
                     readText(report).c_str());
        return 1;
    }

    sides.push_back(again.front());
    printSides(sides, kRounds);
    printRatio("export / cp -r", sides[kExport], sides[kCp], kCopyGoal, true);
    printRatio("export / stream_copy", sides[kExport], sides[kStreamCopy], kCopyGoal, true);
    printRatio("second export (all skipped) / first", again.front(), sides[kExport], kSecondGoal,
               true);
    return 0;
}
