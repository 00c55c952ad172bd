// kovra-cli repair of a long recording a power cut left without its index, against ffmpeg's
// stream copy of it and a plain copy of the same file, in one run; and repair's peak memory
// for two lengths of recording, each measured in a fresh process.
//
//   make bench                                   all benchmarks
//   build/bench/bench/kovra_bench_repair [MiB]   this one; 1024 MiB by default, and an eighth
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/clip.h"
#include "bench/support/cut_recording.h"
#include "bench/support/figures.h"
#include "bench/support/process.h"
#include "bench/support/side_by_side.h"
#include "bench/support/work_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace kovra::bench;

constexpr std::uint64_t kDefaultMiB = 1024;
constexpr std::uint64_t kSmallPart = 8; // the smaller recording is this part of the larger
constexpr int kClipSeconds = 6;
constexpr int kRounds = 7;
constexpr int kPeakRuns = 3;
// Against the kernel's own copy, flushed as ours is, a repair may cost a tenth more; against a
// copy through a buffer, as a program without copy_file_range makes it, three tenths.
constexpr double kCpGoal = 1.1;
constexpr double kCopyGoal = 1.3;
constexpr std::uint64_t kIndexEntrySize = 16;
constexpr std::uint64_t kMiB = 1 << 20;
constexpr double kKiB = 1024;

enum SideIndex : std::size_t { kCp, kStreamCopy, kFfmpeg, kRepair };

// The clip is let go before anything is measured: a forked child starts with a copy of it.
bool makeRecordings(const WorkFolder& work, std::uint64_t largeMiB, std::uint64_t smallMiB,
                    CutRecording& large, CutRecording& small) {
    Clip clip;
    return makeClip(work / "clip.avi", kClipSeconds, clip) &&
           writeCutRecording(clip, largeMiB * kMiB, work / "large.avi", large,
                             work / "large-riff.avi") &&
           writeCutRecording(clip, smallMiB * kMiB, work / "small.avi", small);
}

// What ffprobe counts in the file's video stream, reading every packet without decoding.
long probedFrames(const fs::path& file, const fs::path& answer) {
    Measured m =
        runProcess({"ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets",
                    "-show_entries", "stream=nb_read_packets", "-of", "csv=p=0", file.string()},
                   answer.string());
    return m.ok() ? std::strtol(readText(answer).c_str(), nullptr, 10) : -1;
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t largeMiB = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : kDefaultMiB;
    if (largeMiB < kSmallPart)
        largeMiB = kDefaultMiB;
    std::uint64_t smallMiB = largeMiB / kSmallPart;
    WorkFolder work("repair");
    CutRecording large, small;
    if (!makeRecordings(work, largeMiB, smallMiB, large, small))
        return 1;
    const fs::path in = work / "large.avi", riffIn = work / "large-riff.avi";
    const fs::path smallIn = work / "small.avi";
    std::printf("repair: a %llu MiB \"MARS\" recording (%s) built from a %d s clip's chunks "
                "repeated, no idx1, its last chunk cut: %llu whole chunks, %llu frames; every side "
                "reads from the page cache and flushes its output to the disk\n",
                static_cast<unsigned long long>(largeMiB), kClipDescription, kClipSeconds,
                static_cast<unsigned long long>(large.chunks),
                static_cast<unsigned long long>(large.frames));

    const fs::path out = work / "out.avi";
    const std::string report = (work / "repair.json").string();
    // Each side's output is flushed to the disk before it counts as done, as repair's is: a
    // copy the page cache still holds is no copy a power cut leaves.
    auto durable = [&](const std::string& command) {
        return std::vector<std::string>{"sh", "-c", command + " && sync " + out.string()};
    };
    std::vector<Side> sides = {
        {"cp IN OUT && sync OUT (the kernel copies, copy_file_range)",
         durable("cp " + in.string() + " " + out.string())},
        {"stream_copy IN OUT && sync OUT (read and write, 1 MiB buffer)",
         durable(std::string(KOVRA_STREAM_COPY) + " " + in.string() + " " + out.string())},
        {"ffmpeg -v error -i IN -c copy OUT && sync OUT (a \"RIFF\" twin)",
         durable("ffmpeg -v error -i " + riffIn.string() + " -c copy " + out.string())},
        {"kovra-cli repair IN OUT",
         {KOVRA_CLI, "repair", in.string(), out.string(), "--json"},
         report},
    };
    auto fresh = [&] {
        fs::remove(out);
        work.settle();
    };
    if (!runAlternating(sides, kRounds, fresh, (work / "stderr.txt").string()))
        return 1;
    // The last round's repair is still in out: what ffprobe makes of it shows the input honest.
    std::string frames = "\"frames\": " + std::to_string(large.frames);
    if (readText(report).find(frames) == std::string::npos) {
        std::fprintf(stderr, "repair did not find the %llu frames written:\n%s",
                     static_cast<unsigned long long>(large.frames), readText(report).c_str());
        return 1;
    }
    long probed = probedFrames(out, work / "ffprobe.txt");

    printSides(sides, kRounds);
    printRatio("repair / ffmpeg", sides[kRepair], sides[kFfmpeg], 1, false);
    printRatio("repair / cp", sides[kRepair], sides[kCp], kCpGoal, true);
    printRatio("repair / stream_copy", sides[kRepair], sides[kStreamCopy], kCopyGoal, true);
    std::printf("  ffprobe -count_packets reads %ld video frames in the repaired file, %llu "
                "written whole: %s\n",
                probed, static_cast<unsigned long long>(large.frames),
                probed == static_cast<long>(large.frames) ? "the same" : "DIFFERENT");

    auto repair = [&](const fs::path& from) {
        return std::vector<std::string>{KOVRA_CLI, "repair", from.string(), out.string(),
                                        "--force"};
    };
    long smallPeak = medianPeakKiB(repair(smallIn), kPeakRuns);
    long largePeak = medianPeakKiB(repair(in), kPeakRuns);
    long floorPeak = medianPeakKiB({"true"}, kPeakRuns);
    if (smallPeak < 0 || largePeak < 0 || floorPeak < 0) {
        std::fprintf(stderr, "repair failed while its memory was measured\n");
        return 1;
    }
    long growth = largePeak - smallPeak;
    double indexKiB = static_cast<double>(large.chunks * kIndexEntrySize) / kKiB;
    std::printf("  peak memory of repair: %ld KiB for %llu MiB, %ld KiB for %llu MiB (medians of "
                "%d processes): grows by %ld KiB; the larger file's index is %llu chunks x %llu "
                "bytes = %.0f KiB (goal: grows by no more than that: %s)\n",
                smallPeak, static_cast<unsigned long long>(smallMiB), largePeak,
                static_cast<unsigned long long>(largeMiB), kPeakRuns, growth,
                static_cast<unsigned long long>(large.chunks),
                static_cast<unsigned long long>(kIndexEntrySize), indexKiB,
                verdict(static_cast<double>(growth) <= indexKiB));
    std::printf("  (each peak is a forked child's, from wait4; `true` measured so shows %ld KiB, "
                "the most that what a child inherits from this program can add)\n",
                floorPeak);
    return 0;
}
