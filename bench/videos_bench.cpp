// kovra-cli videos over a card of recorder-like clips, against ffprobe run once per file, in
// one run. One process that reads headers and indexes, against one process per file that
// probes its streams by decoding their first frame.
//
//   make bench                                     all benchmarks
//   build/bench/bench/kovra_bench_videos [files]   this one; 200 clips by default
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/card_copies.h"
#include "bench/support/clip.h"
#include "bench/support/figures.h"
#include "bench/support/process.h"
#include "bench/support/work_folder.h"

namespace {

using namespace kovra::bench;

constexpr std::size_t kDefaultFiles = 200;
constexpr int kClipSeconds = 6;
constexpr std::size_t kCutEvery = 10;
constexpr int kListRuns = 5;
constexpr double kGoal = 300;
constexpr double kMiB = 1 << 20;

} // namespace

int main(int argc, char** argv) {
    std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : kDefaultFiles;
    if (files == 0)
        files = kDefaultFiles;
    WorkFolder work("videos");
    Clip clip;
    CardCopies copies;
    if (!makeClip(work / "clip.avi", kClipSeconds, clip) ||
        !writeCopies(clip, work / "card", files, kCutEvery, copies, work / "riff"))
        return 1;
    std::printf("videos: %zu clips of %d s (%s), %zu of them cut without an index, %.0f MiB; both "
                "sides read from the page cache (the files were just written)\n",
                copies.files, kClipSeconds, kClipDescription, copies.cut, copies.bytes / kMiB);

    // The first run loads the program and its libraries; the figure is the median of those
    // after it.
    std::string listing = (work / "videos.json").string();
    std::vector<double> lists, listCpu;
    for (int run = 0; run <= kListRuns; ++run) {
        Measured m = runProcess({KOVRA_CLI, "videos", (work / "card").string(), "--json"}, listing);
        if (!m.ok()) {
            std::fprintf(stderr, "kovra-cli videos failed (exit %d)\n", m.exitCode);
            return 1;
        }
        if (run > 0) {
            lists.push_back(m.seconds);
            listCpu.push_back(m.cpuSeconds);
        }
    }
    std::string json = readText(listing);
    std::size_t listed = countOf(json, "\"path\"");
    std::size_t repairable = countOf(json, "\"state\": \"repairable\"");
    std::printf("  kovra-cli videos DIR --json: one process over the \"MARS\" files, headers and "
                "index read (the data walked where the index is missing): %.4f s (cpu %.4f s), "
                "median of %d; listed %zu, %zu of them repairable\n",
                median(lists), median(listCpu), kListRuns, listed, repairable);
    if (listed != copies.files || repairable != copies.cut) {
        std::fprintf(stderr, "kovra-cli videos listed %zu (%zu repairable), not %zu (%zu)\n",
                     listed, repairable, copies.files, copies.cut);
        return 1;
    }

    std::string probed = (work / "ffprobe.txt").string();
    auto probe = [&](std::size_t number) {
        return runProcess({"ffprobe", "-v", "error", "-show_streams", "-show_format",
                           recordingPath(work / "riff", number)},
                          probed);
    };
    probe(1); // loads ffprobe and its libraries, as kovra-cli's first run did
    double probeSeconds = 0, probeCpu = 0;
    for (std::size_t number = 1; number <= copies.files; ++number) {
        Measured m = probe(number);
        if (!m.ok() || readText(probed).find("codec_name=mjpeg") == std::string::npos) {
            std::fprintf(stderr, "ffprobe did not read %s (exit %d)\n",
                         recordingPath(work / "riff", number).c_str(), m.exitCode);
            return 1;
        }
        probeSeconds += m.seconds;
        probeCpu += m.cpuSeconds;
    }
    std::printf("  ffprobe -v error -show_streams -show_format FILE: one process per \"RIFF\" copy "
                "(it refuses \"MARS\"), each probing the streams and decoding the first frame: "
                "%.2f s (cpu %.2f s), the sum of %zu\n",
                probeSeconds, probeCpu, copies.files);
    double ratio = probeSeconds / median(lists);
    std::printf("  kovra-cli %.0f times faster (goal: at least %.0f: %s)\n", ratio, kGoal,
                verdict(ratio >= kGoal));
    return 0;
}
