// kovra-cli: the recorder's card from a terminal.
#include <iostream>

#include "cli/context.h"
#include "cli/failure.h"

namespace {

using namespace kovra::cli;

// The first word that should name a command and names none, or empty: CLI11 only says that a
// command is missing.
std::string unknownCommand(const CLI::App& app, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--card" || word == "--system-root") {
            ++i; // the option's value
            continue;
        }
        if (word.empty() || word[0] == '-')
            continue;
        for (const CLI::App* command : app.get_subcommands({}))
            if (command->check_name(word))
                return "";
        return word;
    }
    return "";
}

int run(int argc, char** argv) {
    CLI::App app("The recorder's card from a terminal: its configuration (CONFIG.SYS), its "
                 "clock (TIME.txt) and its videos.",
                 kProgramName);
    Context context{kovra::systemPlatform(), "", false, std::nullopt};
    app.set_version_flag("--version", KOVRA_VERSION);
    app.require_subcommand(1);
    // --card may also follow the command's name.
    app.fallthrough();
    app.add_option("--card", context.cardOption,
                   "The card's folder (default: the first removable medium found)")
        ->type_name("DIR")
        ->check(nonEmptyPath());
    app.add_option_function<std::string>(
           "--system-root",
           [&context](const std::string& root) { context.platform.setSystemRoot(root); },
           "Read the mount table and sysfs below DIR instead of / (Linux)")
        ->type_name("DIR");
    app.footer("Exit codes: 0 done; 1 a file could not be read or written, or its content will "
               "not do; 2 a usage error or a value refused (nothing written); 3 no card found.");
    addCardCommand(app, context);
    addConfigCommands(app, context);
    addClockCommands(app, context);
    addPlayCommand(app, context);
    addVideosCommand(app, context);
    addRepairCommand(app, context);
    addExportCommand(app, context);
    addClipCommands(app, context);
    addWatchCommand(app, context);
    addGalleryCommand(app, context);
    addServeCommand(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion& version) {
        return app.exit(version);
    } catch (const CLI::ParseError& error) {
        std::string unknown = unknownCommand(app, argc, argv);
        warn(unknown.empty()
                 ? error.what()
                 : "unknown command '" + unknown + "' (" + kProgramName + " --help lists them)");
        return kovra::kUsage;
    } catch (const Failure& failure) {
        // An empty message: every file concerned has been named already.
        if (*failure.what())
            warn(failure.what());
        return failure.code();
    }
    return kovra::kDone;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        warn(std::string("unexpected error: ") + error.what());
        return kovra::kFileProblem;
    }
}
