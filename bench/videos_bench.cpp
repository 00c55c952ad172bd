// kovra-cli videos over a card of recorder-like clips, against ffprobe run once per file, in
// one run. One process that reads headers and indexes, against one process per file that
// probes its streams by decoding their first frame. Then the page faults of a listing for
// each recording it adds, and of a walk over a recording a power cut left, for two lengths.
//
//   make bench                                            all benchmarks
//   build/bench/bench/kovra_bench_videos [files [MiB]]    this one; 200 clips by default, and
//                                                         cut recordings of 60 and 600 MiB
//   KOVRA_BENCH_BEFORE=/path/to/kovra-cli ...              also an earlier build's listings, in
//                                                         the same rounds
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/card_copies.h"
#include "bench/support/clip.h"
#include "bench/support/cut_recording.h"
#include "bench/support/figures.h"
#include "bench/support/process.h"
#include "bench/support/side_by_side.h"
#include "bench/support/work_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace kovra::bench;

constexpr std::size_t kDefaultFiles = 200;
constexpr int kClipSeconds = 6;
constexpr std::size_t kCutEvery = 10;
constexpr int kListRuns = 5;
constexpr double kGoal = 1000;
// Page faults a listing may add for each recording, beyond what starting the program costs.
constexpr double kFaultsPerRecordingGoal = 3;
// The cut recordings walked: the smaller is this part of the larger.
constexpr std::uint64_t kDefaultCutMiB = 600;
constexpr std::uint64_t kSmallPart = 10;
constexpr int kCutRounds = 3;
// What a run's faults vary by with nothing changed (where the loader and the heap land).
constexpr double kFaultNoise = 16;
constexpr double kMiB = 1 << 20;
constexpr std::uint64_t kMiBBytes = 1 << 20;
constexpr double kPageSize = 4096;
// What a repair keeps of each chunk while it writes: its place in the list (12 bytes) and its
// entry in the new index (16).
constexpr double kRepairBytesPerChunk = 12 + 16;

double faults(const Side& side) {
    return side.minor() + side.major();
}

// The earlier build's run of the same command, where there is one.
void addBefore(std::vector<Side>& sides, const Side& now) {
    if (beforeBuild().empty())
        return;
    Side before{"before: " + now.name, now.command};
    before.command[0] = beforeBuild();
    sides.push_back(before);
}

// The listing of the card against the listing of one recording, each a process, alternating.
bool listingBench(const WorkFolder& work, const CardCopies& copies, double& listSeconds,
                  double& beforeSeconds) {
    std::string listing = (work / "videos.json").string();
    std::vector<Side> sides = {
        {"kovra-cli videos DIR --json (" + std::to_string(copies.files) + " recordings)",
         {KOVRA_CLI, "videos", (work / "card").string(), "--json"},
         listing},
        {"kovra-cli videos ONE --json (1 recording: the start-up)",
         {KOVRA_CLI, "videos", (work / "one").string(), "--json"}},
    };
    addBefore(sides, sides[0]);
    if (!runAlternating(
            sides, kListRuns, [] {}, (work / "stderr.txt").string()))
        return false;
    std::string json = readText(listing);
    std::size_t listed = countOf(json, "\"path\"");
    std::size_t repairable = countOf(json, "\"state\": \"repairable\"");
    std::printf("  kovra-cli videos: one process over the \"MARS\" files, headers and index read "
                "(the data walked where the index is missing); listed %zu, %zu of them "
                "repairable\n",
                listed, repairable);
    printSides(sides, kListRuns);
    if (listed != copies.files || repairable != copies.cut) {
        std::fprintf(stderr, "kovra-cli videos listed %zu (%zu repairable), not %zu (%zu)\n",
                     listed, repairable, copies.files, copies.cut);
        return false;
    }
    double each = (faults(sides[0]) - faults(sides[1])) / static_cast<double>(copies.files - 1);
    std::printf("  page faults: %.0f to start and list one recording, %.1f for each further one "
                "(goal: at most %.0f: %s)\n",
                faults(sides[1]), each, kFaultsPerRecordingGoal,
                verdict(each <= kFaultsPerRecordingGoal));
    listSeconds = sides[0].wall();
    if (sides.size() > 2) {
        beforeSeconds = sides[2].wall();
        std::printf("  this build against the earlier one: %.2f of its time (%.2f between the "
                    "fastest runs), %.2f of its processor time; page faults %.0f against %.0f\n",
                    sides[0].wall() / sides[2].wall(), sides[0].fastest() / sides[2].fastest(),
                    sides[0].cpuTime() / sides[2].cpuTime(), faults(sides[0]), faults(sides[2]));
    }
    return true;
}

// videos and repair of a recording a power cut left, at two lengths: the walk over its chunk
// headers must cost no page fault a chunk.
bool cutBench(const WorkFolder& work, const Clip& clip, std::uint64_t largeMiB) {
    std::uint64_t smallMiB = largeMiB / kSmallPart;
    const fs::path small = work / "cut-small.avi", large = work / "cut-large.avi";
    const fs::path out = work / "repaired.avi";
    CutRecording smallMade, largeMade;
    if (!writeCutRecording(clip, smallMiB * kMiBBytes, small, smallMade) ||
        !writeCutRecording(clip, largeMiB * kMiBBytes, large, largeMade))
        return false;
    auto sizeOf = [](std::uint64_t mib) { return std::to_string(mib) + " MiB"; };
    std::vector<Side> sides = {
        {"kovra-cli videos CUT --json (" + sizeOf(smallMiB) + ")",
         {KOVRA_CLI, "videos", small.string(), "--json"}},
        {"kovra-cli videos CUT --json (" + sizeOf(largeMiB) + ")",
         {KOVRA_CLI, "videos", large.string(), "--json"}},
        {"kovra-cli repair CUT OUT (" + sizeOf(smallMiB) + ")",
         {KOVRA_CLI, "repair", small.string(), out.string()}},
        {"kovra-cli repair CUT OUT (" + sizeOf(largeMiB) + ")",
         {KOVRA_CLI, "repair", large.string(), out.string()}},
    };
    addBefore(sides, sides[1]);
    auto fresh = [&] {
        fs::remove(out);
        work.settle();
    };
    if (!runAlternating(sides, kCutRounds, fresh, (work / "stderr.txt").string()))
        return false;
    std::printf("cut recordings: %llu and %llu MiB \"MARS\" recordings (%s) without an index, "
                "their last chunk cut (%llu and %llu whole chunks); read from the page cache\n",
                static_cast<unsigned long long>(smallMiB),
                static_cast<unsigned long long>(largeMiB), kClipDescription,
                static_cast<unsigned long long>(smallMade.chunks),
                static_cast<unsigned long long>(largeMade.chunks));
    printSides(sides, kCutRounds);
    if (sides.size() > 4)
        std::printf("  videos of the larger, this build against the earlier one: %.2f of its time "
                    "(%.2f between the fastest runs)\n",
                    sides[1].wall() / sides[4].wall(), sides[1].fastest() / sides[4].fastest());
    double videosGrowth = faults(sides[1]) - faults(sides[0]);
    std::printf("  videos: %.0f page faults more for %llu times the recording (goal: none, "
                "give or take %.0f: %s)\n",
                videosGrowth, static_cast<unsigned long long>(kSmallPart), kFaultNoise,
                verdict(videosGrowth <= kFaultNoise));
    // A repair holds its list of chunks and writes a new index: those pages it must touch.
    double held =
        static_cast<double>(largeMade.chunks - smallMade.chunks) * kRepairBytesPerChunk / kPageSize;
    double repairGrowth = faults(sides[3]) - faults(sides[2]);
    std::printf("  repair: %.0f page faults more, where its list of chunks and new index grow "
                "by %.0f pages (goal: no more than those, give or take %.0f: %s)\n",
                repairGrowth, held, kFaultNoise, verdict(repairGrowth <= held + kFaultNoise));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : kDefaultFiles;
    if (files < 2)
        files = kDefaultFiles;
    std::uint64_t cutMiB = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : kDefaultCutMiB;
    if (cutMiB < kSmallPart)
        cutMiB = kDefaultCutMiB;
    WorkFolder work("videos");
    Clip clip;
    CardCopies copies, one;
    if (!makeClip(work / "clip.avi", kClipSeconds, clip) ||
        !writeCopies(clip, work / "card", files, kCutEvery, copies, work / "riff") ||
        !writeCopies(clip, work / "one", 1, 0, one))
        return 1;
    std::printf("videos: %zu clips of %d s (%s), %zu of them cut without an index, %.0f MiB; both "
                "sides read from the page cache (the files were just written)\n",
                copies.files, kClipSeconds, kClipDescription, copies.cut, copies.bytes / kMiB);

    double listSeconds = 0, beforeSeconds = 0;
    if (!listingBench(work, copies, listSeconds, beforeSeconds))
        return 1;

    std::string probed = (work / "ffprobe.txt").string();
    auto probe = [&](std::size_t number) {
        return runProcess({"ffprobe", "-v", "error", "-show_streams", "-show_format",
                           recordingPath(work / "riff", number)},
                          probed);
    };
    probe(1); // loads ffprobe and its libraries, as kovra-cli's first run did
    double probeSeconds = 0, probeCpu = 0;
    long probeFaults = 0;
    for (std::size_t number = 1; number <= copies.files; ++number) {
        Measured m = probe(number);
        if (!m.ok() || readText(probed).find("codec_name=mjpeg") == std::string::npos) {
            std::fprintf(stderr, "ffprobe did not read %s (exit %d)\n",
                         recordingPath(work / "riff", number).c_str(), m.exitCode);
            return 1;
        }
        probeSeconds += m.seconds;
        probeCpu += m.cpuSeconds;
        probeFaults += m.minorFaults + m.majorFaults;
    }
    std::printf("  ffprobe -v error -show_streams -show_format FILE: one process per \"RIFF\" copy "
                "(it refuses \"MARS\"), each probing the streams and decoding the first frame: "
                "%.2f s (cpu %.2f s; page faults %ld), the sum of %zu\n",
                probeSeconds, probeCpu, probeFaults, copies.files);
    double ratio = probeSeconds / listSeconds;
    std::printf("  kovra-cli %.0f times faster (goal: at least %.0f: %s)\n", ratio, kGoal,
                verdict(ratio >= kGoal));
    if (beforeSeconds > 0)
        std::printf("  the earlier build: %.0f times faster\n", probeSeconds / beforeSeconds);
    return cutBench(work, clip, cutMiB) ? 0 : 1;
}
