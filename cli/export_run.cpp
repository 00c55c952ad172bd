#include "cli/export_run.h"

#include "cli/failure.h"
#include "cli/gallery_command.h"
#include "cli/output.h"
#include "cli/progress_line.h"
#include "gallery/export_pictures.h"
#include "words/finding_words.h"
#include "words/os_error_words.h"
#include "words/reasons.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::describe;
using words::passedOverText;
using words::problemText;
using words::shownName;

namespace {

void refuse(ExportRefusal refusal, OsError error, const std::string& source,
            const std::string& dest, const std::string& lock) {
    switch (refusal) {
    case ExportRefusal::None:
        return;
    case ExportRefusal::SourceMissing:
        throw fileFailure(source, "no such folder (" + describe(error) + ")");
    case ExportRefusal::SourceNotAFolder:
        throw fileFailure(source,
                          std::string(error == OsError::NotAFile ? "not a folder" : "is a file") +
                              "; the videos are exported from a folder");
    case ExportRefusal::DestNotAFolder:
        throw fileFailure(dest, "not a folder");
    case ExportRefusal::DestIsSource:
        throw Failure(kUsage, dest + ": the folder exported from; export to another folder");
    case ExportRefusal::DestInsideSource:
        throw Failure(kUsage, dest + ": inside " + source +
                                  ", the folder exported from; export to a folder outside it");
    case ExportRefusal::DestHoldsSource:
        throw Failure(kUsage, dest + ": holds " + source +
                                  ", the folder exported from; export to a folder outside it");
    case ExportRefusal::DestUnusable:
        throw fileFailure(dest, "cannot be written: " + describe(error));
    case ExportRefusal::LockUnusable:
        // Something of the lock's name that Kovra did not make: it is left for the user.
        if (error == OsError::IsFolder)
            throw fileFailure(lock, "is a folder, not Kovra's lock; remove it to export here");
        if (error == OsError::LinkLoop)
            throw fileFailure(lock, "is a link, not Kovra's lock; remove it to export here");
        throw fileFailure(lock, "the export's lock cannot be opened: " + describe(error));
    case ExportRefusal::DestInUse:
        throw fileFailure(dest, destInUseText());
    }
}

} // namespace

std::string destInUseText() {
    return "another export or gallery is writing into it; refused rather than waiting: try "
           "again once it has finished";
}

std::string failureText(const ExportItem& item) {
    if (item.error != OsError::None) {
        bool read = item.error.side() == OsError::Side::Source;
        return shownName(item.errorPath) + (read ? ": cannot be read: " : ": cannot be written: ") +
               describe(item.error);
    }
    std::string why = item.report.findings.empty() ? std::string("not a video")
                                                   : problemText(item.report.findings.front());
    return shownName(item.source) + ": cannot be made playable: " + why +
           (item.keptAsIs ? "; kept as it is in " + shownName(item.target) : "");
}

ExportOutcome runExport(Platform& platform, const std::string& source, const std::string& dest,
                        bool dryRun, const ExportGallery& gallery, const WrittenVideo& written) {
    VideoExport run(platform, source, dest, dryRun);
    OsError error;
    refuse(run.prepare(error), error, source, dest, run.lockPath());
    // Refused before any copy, not once the videos are there.
    if (gallery.write && !dryRun) {
        gallery::GalleryFailure refused = gallery::checkGalleryDest(platform, dest, gallery.force);
        if (refused.kind != gallery::GalleryFailureKind::None)
            throw galleryFailure(refused);
    }
    // The gallery's pictures of each video made as soon as it is there, while the next copies
    // wait on the storage: the gallery at the end then costs little more than its page.
    std::optional<gallery::ExportPictures> pictures;
    if (gallery.write && !dryRun) {
        pictures.emplace(platform, dest);
        // Read from the copy as soon as it is written, while it waits for the storage.
        run.onWritten(
            [&](const ExportItem& item, const std::string& temporary, const FileInfo& becomes) {
                pictures->written(item.target, temporary, becomes);
            });
    }
    run.plan();
    for (const PassedOverEntry& entry : run.passedOver())
        warn(shownName(joinPath(source, entry.relative)) +
             ": passed over: " + passedOverText(entry.why) +
             (entry.error != OsError::None ? " (" + describe(entry.error) + ")" : ""));

    ExportOutcome outcome;
    std::vector<ExportItem>& items = run.items();
    std::uint64_t total = 0;
    for (const ExportItem& item : items)
        total += item.size;
    ProgressLine progress(platform);
    std::uint64_t done = 0, writtenBytes = 0;
    std::size_t count[4] = {};
    std::size_t looked = 0;
    // Said only once the file is on the storage under its name, in the order of the items.
    auto say = [&](ExportItem& item) {
        ++looked;
        done += item.size;
        bool wrote = item.action == ExportAction::Export || item.action == ExportAction::Repair;
        if (wrote)
            writtenBytes += item.size;
        ++count[static_cast<int>(item.action)];
        if (item.action == ExportAction::Fail) {
            progress.clear();
            warn(failureText(item));
        } else if (wrote) {
            progress.clear();
            written(item);
        }
        progress.show(exportProgressText(looked, items.size(), done, total, writtenBytes,
                                         progress.seconds()));
        if (pictures)
            pictures->finished(galleryFileOf(item));
    };
    for (ExportItem& item : items) {
        // The rest is left for the next export, which finds it missing.
        if (platform.interrupted()) {
            outcome.interrupted = true;
            break;
        }
        // Each copy's flush runs while the next is written.
        for (ExportItem* finished : run.write(item))
            say(*finished);
    }
    for (ExportItem* finished : run.settle())
        say(*finished);
    progress.clear();
    // Interrupted, it writes no gallery: the readings are dropped, and their pictures with them.
    // Otherwise the next video is read while the record is saved.
    if (pictures && outcome.interrupted)
        pictures->stop();
    OsError finished = run.finish();
    if (pictures)
        pictures->stop();
    if (finished != OsError::None)
        warn(joinPath(dest, ExportRecord::kFileName) +
             ": cannot be written (the next export looks at every video again): " +
             describe(finished));

    outcome.repaired = count[static_cast<int>(ExportAction::Repair)];
    outcome.exported = count[static_cast<int>(ExportAction::Export)] + outcome.repaired;
    outcome.skipped = count[static_cast<int>(ExportAction::Skip)];
    outcome.failed = count[static_cast<int>(ExportAction::Fail)];
    items.resize(looked);
    if (gallery.write && !dryRun && !outcome.interrupted) {
        outcome.gallery = gallery::buildGallery(
            platform,
            gallery::exportGalleryRequest(source, dest, items, gallery.clockOffsetMillis,
                                          gallery.force, pictures ? &*pictures : nullptr));
        for (const gallery::GalleryProblem& problem : outcome.gallery->problems)
            warn(galleryProblemText(problem));
        if (!outcome.gallery->written())
            warn(galleryFailureText(outcome.gallery->failure));
    }
    outcome.items = std::move(items);
    outcome.passedOver = run.passedOver();
    return outcome;
}

} // namespace kovra::cli
