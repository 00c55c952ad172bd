// kovra-cli export: every video of the card to a folder as standard, playable AVI files.
#include <iostream>
#include <memory>

#include "cli/context.h"
#include "cli/failure.h"
#include "cli/gallery_command.h"
#include "cli/names.h"
#include "cli/progress_line.h"
#include "cli/video_text.h"
#include "device/video_export.h"

namespace kovra::cli {

namespace {

struct ExportOptions {
    std::string dest, from, clockOffset;
    bool dryRun = false;
    bool noGallery = false;
};

const char* actionName(ExportAction action) {
    switch (action) {
    case ExportAction::Export:
        return "exported";
    case ExportAction::Repair:
        return "repaired";
    case ExportAction::Skip:
        return "skipped";
    case ExportAction::Fail:
        break;
    }
    return "failed";
}

// "SOURCE: cannot be read: …", "TARGET: cannot be written: …", or why a video cannot be
// played and where its bytes are kept.
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

void refuse(ExportRefusal refusal, OsError error, const std::string& source,
            const std::string& dest) {
    switch (refusal) {
    case ExportRefusal::None:
        return;
    case ExportRefusal::SourceMissing:
        throw fileFailure(source, "no such folder (" + describe(error) + ")");
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
    case ExportRefusal::DestInUse:
        throw fileFailure(dest, "another export is writing into it; try again once it has "
                                "finished");
    }
}

} // namespace

void addExportCommand(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand(
        "export", "Copy every video of the card to a folder as standard, playable AVI files");
    auto options = std::make_shared<ExportOptions>();
    command->add_option("DEST", options->dest, "The folder to export to")
        ->required()
        ->check(nonEmptyPath());
    command->add_option("--from", options->from, "Export the videos below this folder instead")
        ->type_name("DIR")
        ->check(nonEmptyPath());
    command->add_flag("--dry-run", options->dryRun, "Say what would be done; write nothing");
    command->add_flag("--no-gallery", options->noGallery,
                      "Leave out the gallery (DEST/index.html) written at the end");
    addClockOffsetOption(*command, options->clockOffset);
    addJsonFlag(*command, context);
    command->callback([&context, options] {
        Platform& platform = context.platform;
        std::string source = options->from.empty() ? context.card().root : options->from;
        const std::string& dest = options->dest;
        VideoExport run(platform, source, dest, options->dryRun);
        OsError error;
        refuse(run.prepare(error), error, source, dest);
        run.plan();
        for (const PassedOverEntry& entry : run.passedOver())
            warn(shownName(joinPath(source, entry.relative)) +
                 ": passed over: " + passedOverText(entry.why) +
                 (entry.error != OsError::None ? " (" + describe(entry.error) + ")" : ""));

        std::vector<ExportItem>& items = run.items();
        std::uint64_t total = 0;
        for (const ExportItem& item : items)
            total += item.size;
        ProgressLine progress(platform);
        std::uint64_t done = 0, written = 0;
        std::size_t count[4] = {};
        for (std::size_t i = 0; i < items.size(); ++i) {
            ExportItem& item = items[i];
            run.run(item);
            done += item.size;
            bool wrote = item.action == ExportAction::Export || item.action == ExportAction::Repair;
            if (wrote)
                written += item.size;
            ++count[static_cast<int>(item.action)];
            // Said only once the file is on the storage under its name.
            if (item.action == ExportAction::Fail) {
                progress.clear();
                warn(failureText(item));
            } else if (wrote && !context.json) {
                progress.clear();
                std::cout << (options->dryRun ? "would export " : "") << shownName(item.relative)
                          << (item.action == ExportAction::Repair ? " (repaired)" : "") << '\n'
                          << std::flush;
            }
            progress.show(
                exportProgressText(i + 1, items.size(), done, total, written, progress.seconds()));
        }
        progress.clear();
        OsError finished = run.finish();
        if (finished != OsError::None)
            warn(joinPath(dest, ExportRecord::kFileName) +
                 ": cannot be written (the next export looks at every video again): " +
                 describe(finished));
        if (!options->dryRun && !options->noGallery) {
            GalleryOutcome gallery = writeExportGallery(platform, source, dest, items,
                                                        clockOffsetMillis(options->clockOffset));
            if (!context.json)
                std::cout << "gallery: " << shownName(gallery.page) << '\n';
        }

        std::size_t repaired = count[static_cast<int>(ExportAction::Repair)];
        std::size_t exported = count[static_cast<int>(ExportAction::Export)] + repaired;
        std::size_t skipped = count[static_cast<int>(ExportAction::Skip)];
        std::size_t failed = count[static_cast<int>(ExportAction::Fail)];
        if (context.json) {
            nlohmann::json list = nlohmann::json::array();
            for (const ExportItem& item : items) {
                nlohmann::json entry;
                putName(entry, "path", item.relative);
                entry["action"] = actionName(item.action);
                if (item.action == ExportAction::Fail) {
                    entry["reason"] = utf8Name(failureText(item));
                    entry["keptAsIs"] = item.keptAsIs;
                }
                list.push_back(entry);
            }
            nlohmann::json passed = nlohmann::json::array();
            for (const PassedOverEntry& entry : run.passedOver()) {
                nlohmann::json object;
                putName(object, "path", entry.relative);
                object["reason"] = passedOverText(entry.why);
                passed.push_back(object);
            }
            printJson({{"dryRun", options->dryRun},
                       {"exported", exported},
                       {"repaired", repaired},
                       {"skipped", skipped},
                       {"failed", failed},
                       {"files", list},
                       {"passedOver", passed}});
        } else {
            std::cout << exported << " " << (options->dryRun ? "would be " : "") << "exported ("
                      << repaired << " repaired), " << skipped << " skipped as already there, "
                      << failed << " failed\n";
        }
        if (failed > 0)
            throw Failure(kFileProblem, "");
    });
}

} // namespace kovra::cli
