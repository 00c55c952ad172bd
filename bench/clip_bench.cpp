// kovra-cli clip and join against what does the same work with general tools, in one run: a
// minute cut out of three 5-minute recordings against ffmpeg's stream copy of that minute and a
// plain copy of a file of its size, and ten 100 MiB recordings joined against cat and ffmpeg's
// concat demuxer; then join's peak memory for two lengths of recording.
//
//   make bench                                     all benchmarks
//   build/bench/bench/kovra_bench_clip [MiB]       this one; joins of 100 MiB recordings
//   KOVRA_BENCH_BEFORE=/path/to/kovra-cli ...      also an earlier build, in the same rounds
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

constexpr int kClipSeconds = 6;
constexpr int kRecordingSeconds = 300;
constexpr double kFramesPerSecond = 15;
constexpr std::uint64_t kDefaultJoinMiB = 100;
constexpr std::size_t kJoined = 10;
constexpr std::uint64_t kSmallPart = 8;
constexpr int kRounds = 5;
// A clip takes a few tens of milliseconds: more rounds steady its median.
constexpr int kClipRounds = 11;
constexpr int kPeakRuns = 3;
constexpr double kCopyGoal = 1.3;
constexpr std::uint64_t kIndexEntrySize = 16;
constexpr std::uint64_t kMiB = 1 << 20;
constexpr double kKiB = 1024;

std::string shellQuoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// The earlier build's side of a side run with KOVRA_CLI, appended where there is one; its
// ratio against the same base is printed after this one's.
void addBefore(std::vector<Side>& sides, const Side& now) {
    if (beforeBuild().empty())
        return;
    Side before{"before: " + now.name, now.command, now.stdoutPath};
    for (std::string& word : before.command) {
        std::size_t at = word.find(KOVRA_CLI);
        if (at != std::string::npos)
            word.replace(at, std::string(KOVRA_CLI).size(), beforeBuild());
    }
    sides.push_back(before);
}

// The side's command, its output flushed to the disk before it counts as done, as
// kovra-cli's is.
std::vector<std::string> durable(const std::string& command, const fs::path& out) {
    return {"sh", "-c", command + " && sync " + shellQuoted(out)};
}

// Sets the file's time to when the recorder closed it: the three recordings follow one another.
void closedAt(const fs::path& path, int secondsAfterFirstEnd) {
    std::string touch = "touch -d '2007-10-16 14:05:00 UTC + " +
                        std::to_string(secondsAfterFirstEnd) + " seconds' " + shellQuoted(path);
    runProcess({"sh", "-c", touch});
}

// Runs the sides in alternating rounds, each from no OUT and settled storage.
bool runEachFresh(WorkFolder& work, std::vector<Side>& sides, const fs::path& out,
                  int rounds = kRounds) {
    auto fresh = [&] {
        fs::remove(out);
        work.settle();
    };
    return runAlternating(sides, rounds, fresh, (work / "stderr.txt").string());
}

bool clipBench(WorkFolder& work, const Clip& clip) {
    // Three recordings of 5 minutes, each as long as the clip's chunks repeated make it.
    double bytesPerSecond = static_cast<double>(clip.bytes.size()) / kClipSeconds;
    auto bytes = static_cast<std::uint64_t>(bytesPerSecond * kRecordingSeconds);
    fs::create_directories(work / "card");
    std::vector<CutRecording> made(3);
    for (std::size_t i = 0; i < 3; ++i) {
        fs::path path = work / "card" / recordingName(i + 1);
        fs::path twin = work / ("riff" + std::to_string(i + 1) + ".avi");
        if (!writeCutRecording(clip, bytes, path, made[i], twin))
            return false;
    }
    // File times: each ends where the next one's frames start.
    int first = static_cast<int>(static_cast<double>(made[0].frames) / kFramesPerSecond);
    int second = static_cast<int>(static_cast<double>(made[1].frames) / kFramesPerSecond);
    closedAt(work / "card" / recordingName(1), 0);
    closedAt(work / "card" / recordingName(2), second);
    closedAt(work / "card" / recordingName(3), 2 * second);
    // From 4:30 into the first to 0:30 into the second.
    std::string start = "2007-10-16 14:04:30", end = "2007-10-16 14:05:30";
    const fs::path out = work / "clip.avi";
    const std::string report = (work / "clip.json").string();
    // A file of the clip's size for the plain copy, read from the page cache as the clip's
    // sources are.
    fs::path clipOut = work / "clip-kept.avi";
    runProcess({KOVRA_CLI, "clip", clipOut.string(), "--from", (work / "card").string(), "--start",
                start, "--end", end},
               "/dev/null");
    std::vector<Side> sides = {
        {"kovra-cli clip OUT --start --end (60 s over two recordings)",
         {"sh", "-c",
          "TZ=UTC " + std::string(KOVRA_CLI) + " clip " + shellQuoted(out) + " --from " +
              shellQuoted(work / "card") + " --start '" + start + "' --end '" + end + "' --json"},
         report},
        {"ffmpeg -ss -to -c copy OUT && sync OUT (60 s of one \"RIFF\" twin)",
         durable("ffmpeg -v error -y -ss " + std::to_string(first - 60) + " -to " +
                     std::to_string(first) + " -i " + shellQuoted(work / "riff1.avi") +
                     " -c copy " + shellQuoted(out),
                 out)},
        {"cp FILE OUT && sync OUT (a file of the clip's size)",
         durable("cp " + shellQuoted(clipOut) + " " + shellQuoted(out), out)},
    };
    addBefore(sides, sides[0]);
    if (!runEachFresh(work, sides, out, kClipRounds))
        return false;
    std::printf("clip: three %d-minute \"MARS\" recordings (%s) without their index, file times "
                "one after the other; 60 s from 4:30 into the first; every side reads from the "
                "page cache and flushes its output\n",
                kRecordingSeconds / 60, kClipDescription);
    printSides(sides, kClipRounds);
    printRatio("clip / ffmpeg -ss -to -c copy", sides[0], sides[1], 1, false);
    printRatio("clip / cp of its size", sides[0], sides[2], kCopyGoal, true);
    if (sides.size() > 3)
        printRatio("before: clip / cp of its size", sides[3], sides[2], kCopyGoal, true);
    return true;
}

bool joinBench(WorkFolder& work, const Clip& clip, std::uint64_t joinMiB) {
    std::vector<std::string> inputs, twins, smallInputs;
    std::ofstream list(work / "concat.txt");
    std::uint64_t chunks = 0;
    for (std::size_t i = 1; i <= kJoined; ++i) {
        fs::path path = work / ("join" + std::to_string(i) + ".avi");
        fs::path twin = work / ("join" + std::to_string(i) + "-riff.avi");
        fs::path small = work / ("small" + std::to_string(i) + ".avi");
        CutRecording made, smaller;
        if (!writeCutRecording(clip, joinMiB * kMiB, path, made, twin) ||
            !writeCutRecording(clip, joinMiB * kMiB / kSmallPart, small, smaller))
            return false;
        inputs.push_back(path.string());
        twins.push_back(twin.string());
        smallInputs.push_back(small.string());
        list << "file '" << twin.string() << "'\n";
        chunks += made.chunks;
    }
    list.close();
    const fs::path out = work / "joined.avi";
    std::string all;
    for (const std::string& input : inputs)
        all += " " + shellQuoted(input);
    std::vector<std::string> join = {KOVRA_CLI, "join", out.string(), "--force"};
    join.insert(join.end(), inputs.begin(), inputs.end());
    std::vector<Side> sides = {
        {"kovra-cli join OUT VIDEO... (ten recordings)", join},
        {"cat VIDEO... > OUT && sync OUT", durable("cat" + all + " > " + shellQuoted(out), out)},
        {"ffmpeg -f concat -i LIST -c copy OUT && sync OUT (the \"RIFF\" twins)",
         durable("ffmpeg -v error -y -f concat -safe 0 -i " + shellQuoted(work / "concat.txt") +
                     " -c copy " + shellQuoted(out),
                 out)},
    };
    addBefore(sides, sides[0]);
    if (!runEachFresh(work, sides, out))
        return false;
    std::printf("join: ten %llu MiB \"MARS\" recordings (%s) without their index; every side "
                "reads from the page cache and flushes its output\n",
                static_cast<unsigned long long>(joinMiB), kClipDescription);
    printSides(sides, kRounds);
    printRatio("join / cat", sides[0], sides[1], kCopyGoal, true);
    printRatio("join / ffmpeg concat -c copy", sides[0], sides[2], 1, false);
    if (sides.size() > 3)
        printRatio("before: join / cat", sides[3], sides[1], kCopyGoal, true);

    std::vector<std::string> joinSmall = {KOVRA_CLI, "join", out.string(), "--force"};
    joinSmall.insert(joinSmall.end(), smallInputs.begin(), smallInputs.end());
    long smallPeak = medianPeakKiB(joinSmall, kPeakRuns);
    long largePeak = medianPeakKiB(join, kPeakRuns);
    if (smallPeak < 0 || largePeak < 0) {
        std::fprintf(stderr, "join failed while its memory was measured\n");
        return false;
    }
    long growth = largePeak - smallPeak;
    double indexKiB = static_cast<double>(chunks * kIndexEntrySize) / kKiB;
    std::printf("  peak memory of join: %ld KiB for ten of %llu MiB, %ld KiB for ten of %llu MiB "
                "(medians of %d processes): grows by %ld KiB; the larger join's index is %llu "
                "chunks x %llu bytes = %.0f KiB (goal: grows by no more than that: %s)\n",
                smallPeak, static_cast<unsigned long long>(joinMiB / kSmallPart), largePeak,
                static_cast<unsigned long long>(joinMiB), kPeakRuns, growth,
                static_cast<unsigned long long>(chunks),
                static_cast<unsigned long long>(kIndexEntrySize), indexKiB,
                verdict(static_cast<double>(growth) <= indexKiB));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t joinMiB = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : kDefaultJoinMiB;
    if (joinMiB < kSmallPart)
        joinMiB = kDefaultJoinMiB;
    Clip clip;
    {
        WorkFolder work("clip");
        if (!makeClip(work / "clip.avi", kClipSeconds, clip) || !clipBench(work, clip))
            return 1;
    }
    WorkFolder work("join");
    return joinBench(work, clip, joinMiB) ? 0 : 1;
}
