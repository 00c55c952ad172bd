// kovra-cli export of a card against a plain recursive copy of the same files flushed to the
// disk, and a second export of the same card, which finds every file already there, in one
// run; on a card where every recording was cut by a power cut, and on one where few were.
//
//   make bench                                     all benchmarks
//   build/bench/bench/kovra_bench_export [files]   this one; 40 recordings of 8 MiB a card
//
// KOVRA_BENCH_BEFORE=PROGRAM adds that kovra-cli's two exports (an earlier build's) to the
// same rounds, so that a change is judged against what it changed on one machine at one time.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/card_copies.h"
#include "bench/support/clip.h"
#include "bench/support/cut_recording.h"
#include "bench/support/side_by_side.h"
#include "bench/support/work_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace kovra::bench;

constexpr std::size_t kDefaultFiles = 40;
constexpr std::uint64_t kRecordingBytes = 8u << 20;
constexpr int kShortClipSeconds = 6;
constexpr int kLongClipSeconds = 31; // about 8 MiB
constexpr std::size_t kCutEvery = 10;
constexpr int kRounds = 5;
// The export alone against the copy; as owners run it, its gallery made while it copies.
constexpr double kCopyGoal = 1.1, kWithGalleryGoal = 1.25, kSecondGoal = 0.05;
constexpr double kMiB = 1 << 20;

enum SideIndex : std::size_t { kCp, kStreamCopy, kExport, kExportWithGallery };

// Every recording cut by a power cut: no index, its last frame in half.
bool writeCutCard(const WorkFolder& work, const fs::path& folder, std::size_t files) {
    Clip clip;
    if (!makeClip(work / "short.avi", kShortClipSeconds, clip))
        return false;
    fs::create_directories(folder);
    for (std::size_t i = 1; i <= files; ++i) {
        CutRecording written;
        if (!writeCutRecording(clip, kRecordingBytes, folder / recordingName(i), written))
            return false;
    }
    return true;
}

// Compares export with cp -r and sync on the card in card/DCIM; false when a run failed.
bool compare(WorkFolder& work, const std::string& card, std::size_t files, std::size_t cut) {
    const std::string out = (work / "out").string();
    const std::string report = (work / "export.json").string();
    // Each side's files reach the disk before it counts as done, as an export's do.
    std::vector<Side> sides = {
        {"cp -r CARD OUT && sync (the kernel copies, copy_file_range)",
         {"sh", "-c", "cp -r " + card + " " + out + " && sync"}},
        {"stream_copy CARD OUT && sync (read and write, 1 MiB buffer)",
         {"sh", "-c", std::string(KOVRA_STREAM_COPY) + " " + card + " " + out + " && sync"}},
        // The copy, as the goal against cp measures it; then as owners run it, the gallery of
        // the exported files written at its end (9 pictures a video).
        {"kovra-cli export OUT --from CARD --no-gallery (each file flushed before its name)",
         {KOVRA_CLI, "export", out, "--from", card, "--no-gallery", "--json"},
         report},
        {"kovra-cli export OUT --from CARD (and its gallery)",
         {KOVRA_CLI, "export", out, "--from", card, "--json"},
         report},
    };
    const std::string before = beforeBuild();
    std::size_t beforeSides = sides.size();
    if (!before.empty()) {
        sides.push_back({"before: " + before + " export --no-gallery",
                         {before, "export", out, "--from", card, "--no-gallery", "--json"},
                         report});
        sides.push_back({"before: its export with the gallery",
                         {before, "export", out, "--from", card, "--json"},
                         report});
    }
    auto fresh = [&] {
        fs::remove_all(out);
        work.settle();
    };
    if (!runAlternating(sides, kRounds, fresh, (work / "stderr.txt").string()))
        return false;
    // The earlier build ran last: this one's export is written again for what follows.
    std::vector<Side> last = {{"", sides[kExportWithGallery].command, report}};
    if (sides.size() > beforeSides &&
        !runAlternating(last, 1, fresh, (work / "stderr.txt").string()))
        return false;
    // The last round's export is still in out: the check and the second export use it.
    std::string json = readText(report);
    if (json.find("\"exported\": " + std::to_string(files)) == std::string::npos ||
        json.find("\"repaired\": " + std::to_string(cut)) == std::string::npos ||
        json.find("\"failed\": 0") == std::string::npos) {
        std::fprintf(stderr, "export did not write every file as expected:\n%s", json.c_str());
        return false;
    }
    std::vector<Side> again = {{"second kovra-cli export OUT --from CARD (nothing to write)",
                                sides[kExportWithGallery].command, report}};
    // The earlier build's second export into a DEST of its own, written first by itself: in
    // one DEST each build would find the gallery's record as the other keeps it, and save it.
    const std::string beforeOut = (work / "out-before").string();
    std::vector<std::string> beforeAgain = {before, "export", beforeOut, "--from", card, "--json"};
    if (sides.size() > beforeSides) {
        std::vector<Side> first = {{"", beforeAgain, report}};
        fs::remove_all(beforeOut);
        if (!runAlternating(
                first, 0, [&] { work.settle(); }, (work / "stderr.txt").string()))
            return false;
        again.push_back({"before: its second export (nothing to write)", beforeAgain, report});
    }
    if (!runAlternating(
            again, kRounds, [&] { work.settle(); }, (work / "stderr.txt").string()))
        return false;
    if (readText(report).find("\"skipped\": " + std::to_string(files)) == std::string::npos) {
        std::fprintf(stderr, "the second export did not skip every file:\n%s",
                     readText(report).c_str());
        return false;
    }
    for (const Side& side : again)
        sides.push_back(side);
    printSides(sides, kRounds);
    printRatio("export --no-gallery / (cp -r && sync)", sides[kExport], sides[kCp], kCopyGoal,
               true);
    printRatio("export --no-gallery / (stream_copy && sync)", sides[kExport], sides[kStreamCopy],
               kCopyGoal, true);
    printRatio("export with its gallery / (cp -r && sync)", sides[kExportWithGallery], sides[kCp],
               kWithGalleryGoal, true);
    if (sides.size() > beforeSides + 1) {
        printRatio("before: export --no-gallery / (cp -r && sync)", sides[beforeSides], sides[kCp],
                   kCopyGoal, true);
        printRatio("before: export with its gallery / (cp -r && sync)", sides[beforeSides + 1],
                   sides[kCp], kWithGalleryGoal, true);
    }
    printRatio("second export (all skipped) / first, both with the gallery", again.front(),
               sides[kExportWithGallery], kSecondGoal, true);
    if (again.size() > 1) {
        printRatio("before: second export / its first, both with the gallery", again.back(),
                   sides[beforeSides + 1], kSecondGoal, true);
        std::printf("  second export / before's second export: %.2f in wall time, %.2f in "
                    "processor time\n",
                    again.front().wall() / again.back().wall(),
                    again.front().cpuTime() / again.back().cpuTime());
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : kDefaultFiles;
    if (files == 0)
        files = kDefaultFiles;
    {
        WorkFolder work("export-cut");
        if (!writeCutCard(work, work / "card" / "DCIM", files))
            return 1;
        std::printf("export: a card of %zu \"MARS\" recordings of %.0f MiB in DCIM/ (%s), every "
                    "one cut by a power cut (no index); every side reads from the page cache\n",
                    files, kRecordingBytes / kMiB, kClipDescription);
        if (!compare(work, (work / "card").string(), files, files))
            return 1;
    }
    WorkFolder work("export-few-cut");
    Clip clip;
    CardCopies copies;
    if (!makeClip(work / "long.avi", kLongClipSeconds, clip) ||
        !writeCopies(clip, work / "card" / "DCIM", files, kCutEvery, copies))
        return 1;
    std::printf("export: a card of %zu \"MARS\" recordings of %.1f MiB in DCIM/ (%d s, %s), %zu "
                "of them cut (no index); every side reads from the page cache\n",
                copies.files, clip.bytes.size() / kMiB, kLongClipSeconds, kClipDescription,
                copies.cut);
    return compare(work, (work / "card").string(), copies.files, copies.cut) ? 0 : 1;
}
