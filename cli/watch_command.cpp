// kovra-cli watch: the card's routine each time the recorder's card is put in, with no command
// typed: its clock set, its videos exported, the card flushed and declared safe to take out.
#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/context.h"
#include "cli/export_run.h"
#include "cli/failure.h"
#include "cli/gallery_command.h"
#include "platform/names.h"
#include "watcher/card_watcher.h"
#include "words/os_error_words.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::describe;
using words::shownName;

namespace {

struct WatchOptions {
    std::string dest;
    bool setClock = false;
    bool once = false;
};

class CommandHost final : public watcher::WatchHost {
  public:
    CommandHost(Platform& platform, std::string dest)
        : platform_(platform), dest_(std::move(dest)) {}

    void say(const std::string& line) override {
        // Each line goes out at once: a service's log and a pipe see it as it happens.
        std::cout << stamp() << ' ' << line << std::endl;
    }
    void warn(const std::string& line) override { cli::warn(stamp() + ' ' + line); }
    std::string describe(OsError error) override { return cli::describe(error); }

    watcher::ExportReport exportVideos(const std::string& root) override {
        watcher::ExportReport report;
        makeParents();
        try {
            ExportOutcome outcome = runExport(
                platform_, root, dest_, false, ExportGallery{}, [this](const ExportItem& item) {
                    say("exported " + shownName(item.relative) +
                        (item.action == ExportAction::Repair ? " (repaired)" : ""));
                });
            say(std::to_string(outcome.exported) + " exported (" +
                std::to_string(outcome.repaired) + " repaired), " +
                std::to_string(outcome.skipped) + " skipped as already there, " +
                std::to_string(outcome.failed) + " failed, into " + dest_);
            if (!outcome.galleryPage().empty())
                say("gallery " + shownName(outcome.galleryPage()));
            report.failed = outcome.failed;
            report.exitCode = outcome.failed > 0 || outcome.galleryFailed() ? kFileProblem : kDone;
            report.notSaved = notSavedText(outcome);
        } catch (const Failure& refused) {
            warn(refused.what());
            report.exitCode = refused.code();
            report.notSaved = std::string("nothing exported (") + refused.what() + ")";
        }
        return report;
    }

  private:
    // What of the gallery was not written, the first failure in full; the others were named
    // as they were met.
    static std::string galleryNotWrittenText(const gallery::GalleryOutcome& gallery) {
        if (!gallery.written())
            return "the gallery not written (" + galleryFailureText(gallery.failure) + ")";
        return "the gallery not written whole (" + galleryProblemText(gallery.problems.front()) +
               (gallery.problems.size() > 1 ? "; the others named above)" : ")");
    }

    // The videos and the gallery not saved, the first video's failure in full; the others
    // were named as they failed.
    static std::string notSavedText(const ExportOutcome& outcome) {
        std::string text;
        if (outcome.failed > 0) {
            const ExportItem* first = nullptr;
            for (const ExportItem& item : outcome.items)
                if (!first && item.action == ExportAction::Fail)
                    first = &item;
            text = std::to_string(outcome.failed) +
                   (outcome.failed == 1 ? " video not saved" : " videos not saved");
            if (first)
                text += " (" + failureText(*first) +
                        (outcome.failed > 1 ? "; the others named above)" : ")");
        }
        if (outcome.galleryFailed())
            text += (text.empty() ? "" : "; ") + galleryNotWrittenText(*outcome.gallery);
        return text;
    }

    // The folder a service was given (~/Videos/kovra) may lie in folders not made yet; export
    // makes only the last. A folder that cannot be made is named by the export that follows.
    void makeParents() {
        for (std::size_t at = 1; at < dest_.size(); ++at)
            if (isPathSeparator(dest_[at]))
                platform_.makeFolder(dest_.substr(0, at).c_str());
    }

    std::string stamp() {
        SystemTime now = platform_.localTime();
        char text[32];
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned(now.hour), unsigned(now.minute),
                      unsigned(now.second));
        return text;
    }

    Platform& platform_;
    std::string dest_;
};

} // namespace

void addWatchCommand(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand(
        "watch", "Wait for the recorder's card; each time it is put in, set its clock, export "
                 "its videos and say when it may be taken out");
    auto options = std::make_shared<WatchOptions>();
    command->add_option("--export", options->dest, "Export each card's new videos to DEST")
        ->type_name("DEST")
        ->check(nonEmptyPath());
    command->add_flag("--set-clock", options->setClock,
                      "Write the PC's time to each card's TIME.txt");
    command->add_flag("--once", options->once,
                      "Handle one card, then exit with the export's exit code");
    command->callback([&context, options] {
        Platform& platform = context.platform;
        // Held back for as long as it watches: an interrupt fails the write in progress, whose
        // temporary file goes, and then ends the watch with 0 rather than the process.
        platform.deferInterrupts();
        watcher::WatchSteps steps;
        steps.setClock = options->setClock;
        steps.exportVideos = !options->dest.empty();
        steps.once = options->once;
        steps.givenCard = context.cardOption;
        CommandHost host(platform, options->dest);
        host.say(context.cardOption.empty()
                     ? std::string("watching for the recorder's card")
                     : "watching for a card mounted at " + context.cardOption);
        int code = watcher::CardWatcher(platform, host, steps).run();
        if (platform.interrupted())
            host.say("stopped");
        if (code != kDone)
            throw Failure(static_cast<ExitCode>(code), "");
    });
}

} // namespace kovra::cli
