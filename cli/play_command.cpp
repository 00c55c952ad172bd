// kovra-cli play: a recorder video in the desktop's player, through a copy that begins with
// "RIFF", repaired where a power cut left the video without its index.
#include <iostream>
#include <memory>

#include "cli/context.h"
#include "cli/failure.h"
#include "device/playback_workspace.h"
#include "device/video_files.h"
#include "words/os_error_words.h"

namespace kovra::cli {

using words::describe;

namespace {

void requireRecorderVideo(Platform& platform, const std::string& path) {
    std::string signature;
    OsError error = readSignature(platform, path, signature);
    if (error != OsError::None && error != OsError::ShortRead)
        throw fileFailure(path, describe(error));
    if (signature != kMarsSignature && signature != kRiffSignature)
        throw fileFailure(path, "not a video of the recorder (it begins with neither MARS nor "
                                "RIFF)");
}

} // namespace

void addPlayCommand(CLI::App& app, Context& context) {
    CLI::App* play = app.add_subcommand(
        "play", "Open a video in the desktop's player, through a copy that begins with RIFF "
                "(repaired where it needs it)");
    auto video = std::make_shared<std::string>();
    auto print = std::make_shared<bool>(false);
    play->add_option("VIDEO", *video, "The video to play; it is never changed")
        ->required()
        ->check(nonEmptyPath());
    play->add_flag("--print", *print, "Print the prepared copy's path instead of opening it");
    addJsonFlag(*play, context);
    play->callback([&context, video, print] {
        requireRecorderVideo(context.platform, *video);
        PlaybackWorkspace workspace(context.platform);
        workspace.prepareTempDir();
        // Copies an earlier play left are gone first, as when the window starts.
        workspace.cleanup();
        PlaybackWorkspace::Prepared prepared;
        if (!workspace.prepare(video->c_str(), baseName(*video).c_str(), true, prepared))
            throw fileFailure(*video,
                              std::string("no copy could be prepared in the temporary folder ") +
                                  workspace.tempDir().c_str());
        std::string shown = prepared.path.c_str();
        if (!*print) {
            OsError error = context.platform.shellOpen(prepared.path.c_str());
            // An opener that failed without a reason the system gives (Other, no code).
            bool noReason = error == OsError::Other && osErrorText(error).empty();
            if (error != OsError::None)
                throw fileFailure(shown,
                                  noReason ? "the desktop could not open it" : describe(error));
        }
        if (context.json)
            // What was done and how the copy was made, by name; the yes-or-no keys beside them
            // stay for the scripts that read them.
            printJson({{"copy", shown},
                       {"action", *print ? "printed" : "opened"},
                       {"copyMade", prepared.repaired ? "repaired" : "signatureRewritten"},
                       {"opened", !*print},
                       {"repaired", prepared.repaired}});
        else
            std::cout << (*print ? "" : "opened ") << shown << '\n';
    });
}

} // namespace kovra::cli
