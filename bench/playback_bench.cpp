// Play with the device present of two large recordings, each against a plain copy of the same
// file by the same platform, measured side by side in one run: a sound "MARS" recording, whose
// copy is its own bytes with "RIFF", and one a power cut left without its index, whose copy
// Play repairs. Also the peak memory of Play for two sizes of each, and a second Play of the
// same name, which must not copy.
//
//   make bench                                   all benchmarks
//   build/bench/bench/kovra_bench_playback [MiB] this one; the large files are 512 MiB by default
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <malloc.h>

#include "bench/support/clip.h"
#include "bench/support/cut_recording.h"
#include "bench/support/faults.h"
#include "bench/support/figures.h"
#include "bench/support/work_folder.h"
#include "device/playback_workspace.h"
#include "device/video_copy.h"
#include "platform/names.h"
#include "testkit/shell_log_platform.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using kovra::PlaybackWorkspace;
using namespace kovra::bench;

constexpr std::uint64_t kDefaultMiB = 512;
constexpr std::uint64_t kSmallPart = 8; // the smaller recordings are this part of the larger
constexpr int kClipSeconds = 6;
constexpr int kRounds = 11;
constexpr int kAgainRuns = 101;
constexpr double kSoundGoal = 1.05;
constexpr double kCutGoal = 1.3;
constexpr long kNoGrowthKiB = 1024; // what a peak may vary by from run to run
constexpr double kSecondPlayGoalMs = 1.0;
constexpr std::uint64_t kIndexEntrySize = 16;
constexpr std::uint64_t kMiB = 1 << 20;
constexpr std::uint64_t kKiB = 1 << 10;
constexpr double kMsPerSecond = 1e3;
constexpr char kMarsSignature[] = "MARS";

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Starts a new peak: the kernel resets the high-water mark of resident memory. The heap's free
// pages go back to the system first, or what Play allocates would land on pages the making of
// the recordings left resident, and no growth would show.
void resetPeakMemory() {
    ::malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

long peakMemoryKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

struct Recordings {
    CutRecording large, small;
};

// Each size twice: as a power cut leaves it, and sound, which is what a repair of it writes,
// signed "MARS" as the recorder signs it. The clip is let go before anything is measured.
bool makeRecordings(const WorkFolder& work, std::uint64_t largeMiB, std::uint64_t smallMiB,
                    Recordings& made) {
    Clip clip;
    if (!makeClip(work / "clip.avi", kClipSeconds, clip))
        return false;
    for (auto [mebibytes, prefix, written] :
         {std::tuple(largeMiB, "LARGE", &made.large), std::tuple(smallMiB, "SMALL", &made.small)}) {
        std::string cut = (work / "card" / (std::string(prefix) + "-CUT.avi")).string();
        std::string sound = (work / "card" / (std::string(prefix) + ".avi")).string();
        if (!writeCutRecording(clip, mebibytes * kMiB, cut, *written) ||
            !kovra::writePlayable(kovra::systemPlatform(), cut, sound, 0).written)
            return false;
        std::fstream signature(sound, std::ios::binary | std::ios::in | std::ios::out);
        if (!signature.write(kMarsSignature, sizeof kMarsSignature - 1))
            return false;
    }
    return true;
}

// Counts the opens of the card's files: a second Play of a name opens none.
class CardOpens final : public kovra::test::ShellLogPlatform {
  public:
    std::string card;
    int opens = 0;
    kovra::OsError open(const char* path, kovra::OpenMode mode, kovra::FileId& file) override {
        if (std::string(path).rfind(card, 0) == 0)
            ++opens;
        return ShellLogPlatform::open(path, mode, file);
    }
};

struct Bench {
    WorkFolder work{"playback"};
    CardOpens platform;
    PlaybackWorkspace workspace{platform};
    bool wrongCopy = false; // a Play repaired a sound video, or did not repair a cut one

    Bench() {
        fs::create_directories(work / "card");
        fs::create_directories(work / "temp");
        // As the system answers: ending in its own separator, which on POSIX is no backslash.
        platform.tempAnswer = (work / "temp").string() + kovra::pathSeparator();
        platform.card = (work / "card").string();
        workspace.prepareTempDir();
    }
    std::string card(const std::string& name) const { return (work / "card" / name).string(); }
    static bool isCut(const std::string& name) { return name.find("-CUT") != std::string::npos; }

    // Play as the window runs it, the shell aside; each starts with what the one before wrote
    // on the disk.
    double timePlay(const std::string& name, PageFaults& faults) {
        workspace.cleanup();
        work.settle();
        PlaybackWorkspace::Prepared prepared;
        auto start = Clock::now();
        PageFaults before = pageFaultsSoFar();
        bool ok = workspace.prepare(card(name).c_str(), name.c_str(), true, prepared);
        faults = pageFaultsSoFar() - before;
        double seconds = secondsSince(start);
        wrongCopy |= !ok || prepared.repaired != isCut(name);
        return seconds;
    }
    double timePlainCopy(const std::string& name, PageFaults& faults) {
        std::string target = (work / "temp" / "plain.avi").string();
        fs::remove(target);
        work.settle();
        auto start = Clock::now();
        PageFaults before = pageFaultsSoFar();
        platform.copy(card(name).c_str(), target.c_str());
        faults = pageFaultsSoFar() - before;
        return secondsSince(start);
    }
    long playPeakKiB(const std::string& name) {
        workspace.cleanup();
        resetPeakMemory();
        workspace.play(card(name).c_str(), name.c_str(), true);
        return peakMemoryKiB();
    }
};

// Play against a plain copy of one file, on the medians of alternating rounds.
struct Pair {
    const char* label;
    std::string name;
    double goal;
    std::vector<double> plays{}, copies{};
    PageFaults playFaults{}, copyFaults{}; // over the counted rounds
};

double perRun(long faults, const Pair& pair) {
    return static_cast<double>(faults) / static_cast<double>(pair.plays.size());
}

// The goal is judged on the medians; the fastest runs, which the machine's other work added
// least to, are shown beside them.
void printPair(const Pair& pair) {
    double ratio = median(pair.plays) / median(pair.copies);
    double fastestPlay = *std::min_element(pair.plays.begin(), pair.plays.end());
    double fastestCopy = *std::min_element(pair.copies.begin(), pair.copies.end());
    std::printf("  %s: play %.3f s, plain copy %.3f s: ratio %.3f (%.3f between the fastest "
                "runs; goal <= %.2f: %s); page faults a run %.0f + %.0f major against %.0f + "
                "%.0f\n",
                pair.label, median(pair.plays), median(pair.copies), ratio,
                fastestPlay / fastestCopy, pair.goal, verdict(ratio <= pair.goal),
                perRun(pair.playFaults.minor, pair), perRun(pair.playFaults.major, pair),
                perRun(pair.copyFaults.minor, pair), perRun(pair.copyFaults.major, pair));
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t large = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : kDefaultMiB;
    std::uint64_t small = std::max<std::uint64_t>(large / kSmallPart, 1);
    Bench bench;
    Recordings made;
    if (!makeRecordings(bench.work, large, small, made))
        return 1;
    std::printf("playback: %llu MiB recordings (%s), device present, shell excluded; medians of "
                "%d rounds\n",
                static_cast<unsigned long long>(large), kClipDescription, kRounds);

    // Alternating rounds after one that is not counted, so that no side alone meets a cold
    // cache or a busier machine.
    std::vector<Pair> pairs = {
        {"sound \"MARS\" recording", "LARGE.avi", kSoundGoal},
        {"recording cut by a power cut, repaired", "LARGE-CUT.avi", kCutGoal},
    };
    for (int round = 0; round <= kRounds; ++round)
        for (Pair& pair : pairs) {
            PageFaults copyFaults, playFaults;
            double copy = bench.timePlainCopy(pair.name, copyFaults);
            double play = bench.timePlay(pair.name, playFaults);
            if (round == 0)
                continue;
            pair.copies.push_back(copy);
            pair.plays.push_back(play);
            pair.copyFaults += copyFaults;
            pair.playFaults += playFaults;
        }
    for (const Pair& pair : pairs)
        printPair(pair);
    if (bench.wrongCopy)
        std::printf("  WRONG: a Play failed, repaired a sound recording or left a cut one as it "
                    "was\n");

    long sound[2] = {bench.playPeakKiB("SMALL.avi"), bench.playPeakKiB("LARGE.avi")};
    long cut[2] = {bench.playPeakKiB("SMALL-CUT.avi"), bench.playPeakKiB("LARGE-CUT.avi")};
    long soundGrowth = sound[1] - sound[0], cutGrowth = cut[1] - cut[0];
    long indexGrowthKiB =
        static_cast<long>((made.large.chunks - made.small.chunks) * kIndexEntrySize / kKiB);
    std::printf("  peak memory of play, sound: %ld KiB for %llu MiB, %ld KiB for %llu MiB: grows "
                "by %ld KiB (goal: does not grow with the size: %s)\n",
                sound[0], static_cast<unsigned long long>(small), sound[1],
                static_cast<unsigned long long>(large), soundGrowth,
                verdict(soundGrowth < kNoGrowthKiB));
    std::printf("  peak memory of play, cut: %ld KiB for %llu MiB, %ld KiB for %llu MiB: grows by "
                "%ld KiB (goal: by no more than the index, %ld KiB: %s)\n",
                cut[0], static_cast<unsigned long long>(small), cut[1],
                static_cast<unsigned long long>(large), cutGrowth, indexGrowthKiB,
                verdict(cutGrowth <= indexGrowthKiB));

    // The copy from the last play is still there: every further play reuses it.
    int opensBefore = bench.platform.opens;
    std::vector<double> again;
    for (int i = 0; i < kAgainRuns; ++i) {
        auto start = Clock::now();
        bench.workspace.play(bench.card("LARGE-CUT.avi").c_str(), "LARGE-CUT.avi", true);
        again.push_back(secondsSince(start));
    }
    int opened = bench.platform.opens - opensBefore;
    double againMs = median(again) * kMsPerSecond;
    std::printf("  second play of the same name: %.4f ms (median of %d), the card's file opened "
                "%d times (goal: never, under 1 ms: %s)\n",
                againMs, kAgainRuns, opened, verdict(opened == 0 && againMs < kSecondPlayGoalMs));
    // Figures of a Play that did not do its work are no figures of Play.
    return bench.wrongCopy ? 1 : 0;
}
