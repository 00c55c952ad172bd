// kovra-cli serve: the card in a browser, served on 127.0.0.1 until interrupted.
#include <iostream>
#include <memory>

#include "cli/context.h"
#include "cli/failure.h"
#include "device/video_export.h"
#include "platform/private_files.h"
#include "server/serve.h"
#include "words/os_error_words.h"

namespace kovra::cli {

namespace {

struct ServeOptions {
    std::string from, save, clockOffset;
    std::uint16_t port = 0;
    bool noBrowser = false;
    // Not in the man page: the tests' way to see an idle connection closed without waiting
    // the 30 seconds a user gets.
    unsigned idleSeconds = 0;
};

std::string savedFolder(Platform& platform, const std::string& given, const std::string& card) {
    std::string save = given;
    if (save.empty()) {
        OsError error = savedVideosFolder(save);
        if (error != OsError::None)
            throw Failure(kUsage, "no Videos folder to save into (" + words::describe(error) +
                                      "): give one with --save DIR");
    }
    // Nothing is ever written onto the card.
    FolderRelation relation = relationOf(platform, save, card);
    if (relation == FolderRelation::Same || relation == FolderRelation::Inside)
        throw Failure(kUsage, save + ": on " + card +
                                  ", which is never written; --save names "
                                  "a folder elsewhere");
    return save;
}

} // namespace

void addServeCommand(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand(
        "serve", "Serve the card to a browser on this computer (127.0.0.1): play it with its "
                 "sound, step through frames, save a clip or a frame; until Ctrl+C");
    auto options = std::make_shared<ServeOptions>();
    command->add_option("--from", options->from, "Serve the videos below this folder instead")
        ->type_name("DIR")
        ->check(nonEmptyPath());
    command
        ->add_option("--save", options->save,
                     "Where clips and frames are saved (default: ~/Videos/kovra; on Windows "
                     "the Videos folder's Kovra)")
        ->type_name("DIR")
        ->check(nonEmptyPath());
    command->add_option("--port", options->port, "The port on 127.0.0.1 (default: 0, any free one)")
        ->type_name("N");
    command->add_flag("--no-browser", options->noBrowser, "Print the link only; open no browser");
    addClockOffsetOption(*command, options->clockOffset);
    command->add_option("--idle-seconds", options->idleSeconds)
        ->group("")
        ->check(CLI::Range(1, 3600));
    command->callback([&context, options] {
        Platform& platform = context.platform;
        if (!options->from.empty() && !context.cardOption.empty())
            throw Failure(kUsage, "serve: --card and --from name the videos twice; give one");
        std::string source = options->from.empty() ? context.card().root : options->from;
        FileInfo info;
        OsError error = platform.info(source.c_str(), info);
        if (error != OsError::None || !info.isFolder())
            throw fileFailure(source, error != OsError::None
                                          ? "no such folder (" + words::describe(error) + ")"
                                          : "not a folder; --from takes the folder of the videos");
        server::ServeSettings settings;
        settings.card = source;
        settings.save = savedFolder(platform, options->save, source);
        settings.port = options->port;
        settings.openBrowser = !options->noBrowser;
        settings.clockOffsetMillis = clockOffsetMillis(options->clockOffset);
        if (options->idleSeconds > 0)
            settings.idleTimeout = std::chrono::seconds(options->idleSeconds);
        auto announce = [](const std::string& url) {
            std::cout << "Kovra serves the card at " << url << std::endl;
        };
        try {
            server::serve(platform, settings, announce,
                          [](const std::string& message) { warn(message); });
        } catch (const std::runtime_error& failure) {
            throw Failure(kFileProblem, failure.what());
        }
    });
}

} // namespace kovra::cli
