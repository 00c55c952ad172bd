// kovra-cli gallery over a card of recorder-like clips, against ffmpeg making only a thumbnail of
// each, in one run; what the gallery reads of the card; how large the gallery is.
//
//   make bench                                      all benchmarks
//   build/bench/bench/kovra_bench_gallery [files]   this one; 200 clips by default
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/support/card_copies.h"
#include "bench/support/clip.h"
#include "bench/support/figures.h"
#include "bench/support/process.h"
#include "bench/support/work_folder.h"
#include "device/video_pictures.h"

namespace {

using namespace kovra::bench;

constexpr std::size_t kDefaultFiles = 200;
// Long enough that 9 frames are a small part of a recording, as on a recorder's card.
constexpr int kClipSeconds = 30;
constexpr std::size_t kCutEvery = 20; // most closed with an index, a few cut
constexpr int kGalleryRuns = 3;
constexpr double kSpeedGoal = 20;
constexpr double kReadShareGoal = 0.03;
constexpr double kSizeGoalMiB = 15;
constexpr double kMiB = 1 << 20;
constexpr int kPicturesPerVideo = 9;

// What this process has read through the system so far, cache or not.
std::uint64_t readCharacters() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return 0;
}

std::uint64_t folderBytes(const std::filesystem::path& folder) {
    std::uint64_t bytes = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            bytes += entry.file_size();
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : kDefaultFiles;
    if (files == 0)
        files = kDefaultFiles;
    WorkFolder work("gallery");
    Clip clip;
    CardCopies copies;
    if (!makeClip(work / "clip.avi", kClipSeconds, clip) ||
        !writeCopies(clip, work / "card", files, kCutEvery, copies, work / "riff"))
        return 1;
    std::printf("gallery: %zu clips of %d s (%s), %zu of them cut without an index, %.0f MiB; "
                "both sides read from the page cache (the files were just written)\n",
                copies.files, kClipSeconds, kClipDescription, copies.cut, copies.bytes / kMiB);

    // Each run writes a gallery into a fresh folder, so that every picture is made; the first
    // loads the program and is not counted.
    std::vector<double> runs, cpu, faults, majorFaults;
    std::filesystem::path out;
    for (int run = 0; run <= kGalleryRuns; ++run) {
        out = work / ("out" + std::to_string(run));
        // What the copies and the last run left to write back is not this run's to wait for.
        work.settle();
        Measured m = runProcess(
            {KOVRA_CLI, "gallery", out.string(), "--from", (work / "card").string(), "--json"},
            (work / "gallery.json").string());
        if (!m.ok()) {
            std::fprintf(stderr, "kovra-cli gallery failed (exit %d)\n", m.exitCode);
            return 1;
        }
        if (run > 0) {
            runs.push_back(m.seconds);
            cpu.push_back(m.cpuSeconds);
            faults.push_back(static_cast<double>(m.minorFaults));
            majorFaults.push_back(static_cast<double>(m.majorFaults));
        }
    }
    std::size_t pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out / "kovra-gallery"))
        pictures += entry.path().extension() == ".jpg";
    std::printf("  kovra-cli gallery DEST --from DIR: one process, %zu pictures (%d a video): "
                "%.3f s (cpu %.3f s; page faults %.0f + %.0f major), median of %d\n",
                pictures, kPicturesPerVideo, median(runs), median(cpu), median(faults),
                median(majorFaults), kGalleryRuns);
    if (pictures != copies.files * kPicturesPerVideo) {
        std::fprintf(stderr, "the gallery holds %zu pictures, not %zu\n", pictures,
                     copies.files * kPicturesPerVideo);
        return 1;
    }

    std::string thumbnail = (work / "thumbnail.jpg").string();
    auto ffmpeg = [&](std::size_t number) {
        return runProcess({"ffmpeg", "-nostdin", "-v", "error", "-y", "-ss", "0", "-i",
                           recordingPath(work / "riff", number), "-frames:v", "1", "-vf",
                           "scale=160:-1", thumbnail});
    };
    ffmpeg(1); // loads ffmpeg and its libraries, as kovra-cli's first run did
    double ffmpegSeconds = 0, ffmpegCpu = 0;
    long ffmpegFaults = 0, ffmpegMajor = 0;
    for (std::size_t number = 1; number <= copies.files; ++number) {
        Measured m = ffmpeg(number);
        if (!m.ok()) {
            std::fprintf(stderr, "ffmpeg made no thumbnail of %s (exit %d)\n",
                         recordingPath(work / "riff", number).c_str(), m.exitCode);
            return 1;
        }
        ffmpegSeconds += m.seconds;
        ffmpegCpu += m.cpuSeconds;
        ffmpegFaults += m.minorFaults;
        ffmpegMajor += m.majorFaults;
    }
    std::printf("  ffmpeg -ss 0 -i IN -frames:v 1 -vf scale=160:-1 OUT.jpg: one process per "
                "\"RIFF\" copy (it refuses \"MARS\"), the thumbnail alone: %.2f s (cpu %.2f s; "
                "page faults %ld + %ld major), the sum of %zu\n",
                ffmpegSeconds, ffmpegCpu, ffmpegFaults, ffmpegMajor, copies.files);
    double ratio = ffmpegSeconds / median(runs);
    std::printf("  the whole gallery %.1f times faster than ffmpeg's thumbnails alone (goal: at "
                "least %.0f: %s)\n",
                ratio, kSpeedGoal, verdict(ratio >= kSpeedGoal));

    // What the gallery reads of the card: it reads each video only through readVideoPictures,
    // so the same calls here, counted by the reader and by the kernel.
    kovra::Platform& platform = kovra::systemPlatform();
    std::uint64_t counted = 0, before = readCharacters();
    for (std::size_t number = 1; number <= copies.files; ++number)
        counted +=
            kovra::readVideoPictures(platform, recordingPath(work / "card", number)).bytesRead;
    std::uint64_t kernel = readCharacters() - before;
    double share = static_cast<double>(std::max(counted, kernel)) / copies.bytes;
    std::printf("  read of the card: %.2f MiB counted by the reader, %.2f MiB by the kernel "
                "(rchar), of %.0f MiB: %.2f %% (goal: at most %.0f %%: %s)\n",
                counted / kMiB, kernel / kMiB, copies.bytes / kMiB, share * 100,
                kReadShareGoal * 100, verdict(share <= kReadShareGoal));

    double size = folderBytes(out) / kMiB;
    std::printf("  page and pictures of %zu recordings: %.2f MiB (goal: at most %.0f MiB: %s)\n",
                copies.files, size, kSizeGoalMiB, verdict(size <= kSizeGoalMiB));
    return 0;
}
