// kovra-cli export of a card against a plain recursive copy of the same files, and a second
// export of the same card, which finds every file already there, in one run.
//
//   make bench                                     all benchmarks
//   build/bench/bench/kovra_bench_export [files]   this one; 200 clips (about 300 MiB) by default
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/card_copies.h"
#include "bench/support/clip.h"
#include "bench/support/figures.h"
#include "bench/support/process.h"
#include "bench/support/work_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace kovra::bench;

constexpr std::size_t kDefaultFiles = 200;
constexpr int kClipSeconds = 6;
constexpr std::size_t kCutEvery = 20;
constexpr int kRounds = 3; // measured, after one that warms the cache and loads the programs
constexpr double kCopyGoal = 1.25, kSecondGoal = 0.05;
constexpr double kMiB = 1 << 20;

struct Side {
    const char* name;
    std::function<std::vector<std::string>(const fs::path& out)> command;
    std::string stdoutPath;
    std::vector<double> seconds{}, cpu{};
};

} // namespace

int main(int argc, char** argv) {
    std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : kDefaultFiles;
    if (files == 0)
        files = kDefaultFiles;
    WorkFolder work("export");
    const fs::path card = work / "card";
    Clip clip;
    CardCopies copies;
    if (!makeClip(work / "clip.avi", kClipSeconds, clip) ||
        !writeCopies(clip, card / "DCIM", files, kCutEvery, copies))
        return 1;
    std::printf("export: a card of %zu \"MARS\" clips in DCIM/ (%d s, %s), %zu of them cut "
                "without an index, %.0f MiB; every side reads from the page cache and writes to "
                "the same disk, its output's writeback left out\n",
                copies.files, kClipSeconds, kClipDescription, copies.cut, copies.bytes / kMiB);

    const std::string report = (work / "export.json").string();
    std::vector<Side> sides = {
        {"cp -r CARD OUT (the kernel copies, copy_file_range)",
         [&](const fs::path& out) {
             return std::vector<std::string>{"cp", "-r", card.string(), out.string()};
         },
         "/dev/null"},
        {"stream_copy CARD OUT (read and write, 1 MiB buffer)",
         [&](const fs::path& out) {
             return std::vector<std::string>{KOVRA_STREAM_COPY, card.string(), out.string()};
         },
         "/dev/null"},
        {"kovra-cli export OUT --from CARD",
         [&](const fs::path& out) {
             return std::vector<std::string>{KOVRA_CLI, "export",      out.string(),
                                             "--from",  card.string(), "--json"};
         },
         report},
    };
    const fs::path out = work / "out";
    // Rounds alternate the sides, so that none alone meets a busier machine.
    for (int round = 0; round <= kRounds; ++round)
        for (Side& side : sides) {
            fs::remove_all(out);
            work.settle();
            Measured m = runProcess(side.command(out), side.stdoutPath);
            if (!m.ok()) {
                std::fprintf(stderr, "%s failed (exit %d)\n", side.name, m.exitCode);
                return 1;
            }
            if (round > 0) {
                side.seconds.push_back(m.seconds);
                side.cpu.push_back(m.cpuSeconds);
            }
        }
    // The last round's export is still in out: the check and the second export use it.
    std::string json = readText(report);
    std::string exported = "\"exported\": " + std::to_string(copies.files);
    std::string repaired = "\"repaired\": " + std::to_string(copies.cut);
    if (json.find(exported) == std::string::npos || json.find(repaired) == std::string::npos) {
        std::fprintf(stderr, "export did not write every file:\n%s", json.c_str());
        return 1;
    }

    std::vector<double> again, againCpu;
    for (int round = 0; round < kRounds; ++round) {
        work.settle();
        Measured m = runProcess(sides.back().command(out), report);
        std::string skipped = "\"skipped\": " + std::to_string(copies.files);
        if (!m.ok() || readText(report).find(skipped) == std::string::npos) {
            std::fprintf(stderr, "the second export did not skip every file (exit %d)\n",
                         m.exitCode);
            return 1;
        }
        again.push_back(m.seconds);
        againCpu.push_back(m.cpuSeconds);
    }

    for (const Side& side : sides)
        std::printf("  %-52s %.3f s (cpu %.3f s)\n", side.name, median(side.seconds),
                    median(side.cpu));
    std::printf("  (medians of %d rounds after a first; %zu exported, %zu of them repaired)\n",
                kRounds, copies.files, copies.cut);
    double exportSeconds = median(sides.back().seconds);
    for (std::size_t i = 0; i + 1 < sides.size(); ++i) {
        double ratio = exportSeconds / median(sides[i].seconds);
        std::printf("  export / %s: %.2f (goal: at most %.2f: %s)\n",
                    i == 0 ? "cp -r" : "stream_copy", ratio, kCopyGoal,
                    verdict(ratio <= kCopyGoal));
    }
    double ratio = median(again) / exportSeconds;
    std::printf("  second export of the same card, all %zu skipped: %.4f s (cpu %.4f s), median "
                "of %d: %.3f of the first (goal: at most %.2f: %s)\n",
                copies.files, median(again), median(againCpu), kRounds, ratio, kSecondGoal,
                verdict(ratio <= kSecondGoal));
    return 0;
}
