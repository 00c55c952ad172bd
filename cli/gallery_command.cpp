// kovra-cli gallery: a page anyone can open in a browser, offline, with every video's pictures,
// time and state; and the gallery export writes at its end.
#include <iostream>
#include <memory>

#include "cli/context.h"
#include "cli/export_run.h"
#include "cli/failure.h"
#include "cli/gallery_command.h"
#include "device/dest_lock.h"
#include "device/video_export.h"
#include "device/video_finder.h"
#include "words/os_error_words.h"
#include "words/reasons.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::describe;
using words::passedOverText;
using words::putName;
using words::shownName;

namespace {

struct GalleryOptions {
    std::string dest, from, clockOffset;
    bool force = false;
};

using gallery::GalleryFailureKind;
using gallery::GalleryOutcome;
using gallery::GalleryProblemKind;

void report(const GalleryOutcome& outcome, bool json) {
    if (json) {
        nlohmann::json document = {{"videos", outcome.videos},
                                   {"read", outcome.read},
                                   {"reused", outcome.reused},
                                   {"unreadable", outcome.unreadable},
                                   {"picturesWritten", outcome.picturesWritten},
                                   {"picturesRemoved", outcome.picturesRemoved},
                                   {"bytesRead", outcome.bytesRead}};
        putName(document, "page", outcome.page);
        printJson(document);
        return;
    }
    std::cout << "gallery: " << shownName(outcome.page) << " (" << outcome.videos << " videos, "
              << outcome.read << " read, " << outcome.reused << " unchanged)\n";
}

} // namespace

std::string galleryFailureText(const gallery::GalleryFailure& failure) {
    std::string path = shownName(failure.path);
    switch (failure.kind) {
    case GalleryFailureKind::None:
        break;
    case GalleryFailureKind::LinkedPictureFolder:
        return path + ": a link; the gallery writes and removes its pictures only in a folder of "
                      "its own, so nothing was written";
    case GalleryFailureKind::ForeignPage:
        return path + ": not a page Kovra wrote, so it is kept and nothing was written; --force "
                      "replaces it";
    case GalleryFailureKind::Unwritable:
        break;
    }
    return path + ": cannot be written: " + describe(failure.error);
}

std::string galleryProblemText(const gallery::GalleryProblem& problem) {
    std::string path = shownName(problem.path);
    switch (problem.kind) {
    case GalleryProblemKind::VideoUnreadable:
        return path + ": cannot be read: " + describe(problem.error);
    case GalleryProblemKind::PictureUnwritable:
        break;
    case GalleryProblemKind::RecordUnwritable:
        return path + ": cannot be written (the next gallery reads every video again): " +
               describe(problem.error);
    }
    return path + ": cannot be written: " + describe(problem.error);
}

Failure galleryFailure(const gallery::GalleryFailure& failure) {
    bool refused = failure.kind == GalleryFailureKind::LinkedPictureFolder ||
                   failure.kind == GalleryFailureKind::ForeignPage;
    return Failure(refused ? kUsage : kFileProblem, galleryFailureText(failure));
}

void addGalleryCommand(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand(
        "gallery", "Write a page to open in a browser with every video's pictures, time and "
                   "state (default: the card's videos)");
    auto options = std::make_shared<GalleryOptions>();
    command->add_option("DEST", options->dest, "The folder to write index.html and its pictures to")
        ->required()
        ->check(nonEmptyPath());
    command->add_option("--from", options->from, "Show the videos below this folder instead")
        ->type_name("DIR")
        ->check(nonEmptyPath());
    command->add_flag("--force", options->force,
                      "Replace DEST/index.html even where Kovra did not write it");
    addClockOffsetOption(*command, options->clockOffset);
    addJsonFlag(*command, context);
    command->callback([&context, options] {
        Platform& platform = context.platform;
        std::string source = options->from.empty() ? context.card().root : options->from;
        FileInfo info;
        OsError error = platform.info(source.c_str(), info);
        if (error != OsError::None)
            throw fileFailure(source, "no such folder (" + describe(error) + ")");
        if (!info.isFolder())
            throw fileFailure(source, std::string(info.isFile() ? "is a file" : "not a folder") +
                                          "; --from takes the folder the videos are in");
        FolderRelation relation = relationOf(platform, options->dest, source);
        if (relation == FolderRelation::Same || relation == FolderRelation::Inside)
            throw Failure(kUsage, options->dest + ": on " + source +
                                      ", whose videos it shows; nothing is written there");

        gallery::GalleryFailure refused =
            gallery::checkGalleryDest(platform, options->dest, options->force);
        if (refused.kind != GalleryFailureKind::None)
            throw galleryFailure(refused);
        // Under export's lock: two galleries, or a gallery and an export, into one folder
        // would remove each other's pictures.
        DestLock lock(platform);
        error = platform.makeFolder(options->dest.c_str());
        if (error == OsError::None)
            error = lock.take(options->dest);
        if (error == OsError::SharingViolation)
            throw fileFailure(options->dest, destInUseText());
        if (error != OsError::None)
            throw fileFailure(options->dest, "cannot be written: " + describe(error));

        gallery::GalleryRequest request;
        request.dest = options->dest;
        request.force = options->force;
        request.title = source;
        request.recordsFolder = source;
        request.clockOffsetMillis = clockOffsetMillis(options->clockOffset);
        FoundVideos found = findVideos(platform, source);
        for (const PassedOverEntry& entry : found.passedOver)
            warn(shownName(joinPath(source, entry.relative)) +
                 ": passed over: " + passedOverText(entry.why) +
                 (entry.error != OsError::None ? " (" + describe(entry.error) + ")" : ""));
        for (const std::string& relative : found.videos) {
            std::string path = joinPath(source, relative);
            request.videos.push_back({path, relative, path});
        }
        GalleryOutcome outcome = gallery::buildGallery(platform, request);
        for (const gallery::GalleryProblem& problem : outcome.problems)
            warn(galleryProblemText(problem));
        if (!outcome.written())
            throw galleryFailure(outcome.failure);
        report(outcome, context.json);
        if (!outcome.problems.empty())
            throw Failure(kFileProblem, "");
    });
}

} // namespace kovra::cli
