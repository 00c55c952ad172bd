// kovra-cli export: every video of the card to a folder as standard, playable AVI files.
#include <iostream>
#include <memory>

#include "cli/context.h"
#include "cli/export_run.h"
#include "cli/failure.h"
#include "words/reasons.h"
#include "words/report_json.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::passedOverText;
using words::putName;
using words::shownName;
using words::utf8Name;

namespace {

struct ExportOptions {
    std::string dest, from, clockOffset;
    bool dryRun = false;
    bool noGallery = false;
    bool force = false;
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
    command->add_flag("--force", options->force,
                      "Replace DEST/index.html even where Kovra did not write it");
    addClockOffsetOption(*command, options->clockOffset);
    addJsonFlag(*command, context);
    command->callback([&context, options] {
        std::string source = options->from.empty() ? context.card().root : options->from;
        bool dryRun = options->dryRun, json = context.json;
        ExportGallery gallery{!options->noGallery, clockOffsetMillis(options->clockOffset),
                              options->force};
        ExportOutcome outcome = runExport(
            context.platform, source, options->dest, dryRun, gallery,
            [dryRun, json](const ExportItem& item) {
                if (!json)
                    std::cout << (dryRun ? "would export " : "") << shownName(item.relative)
                              << (item.action == ExportAction::Repair ? " (repaired)" : "") << '\n'
                              << std::flush;
            });
        const std::vector<ExportItem>& items = outcome.items;
        std::size_t repaired = outcome.repaired, exported = outcome.exported,
                    skipped = outcome.skipped, failed = outcome.failed;
        if (context.json) {
            nlohmann::json list = nlohmann::json::array();
            for (const ExportItem& item : items) {
                nlohmann::json entry;
                putName(entry, "path", item.relative);
                entry["action"] = actionName(item.action);
                if (item.action == ExportAction::Fail) {
                    entry["reason"] = utf8Name(failureText(item));
                    entry["keptAsIs"] = item.keptAsIs;
                    if (item.error == OsError::None)
                        entry["findings"] = words::findingsJson(item.report);
                }
                list.push_back(entry);
            }
            nlohmann::json passed = nlohmann::json::array();
            for (const PassedOverEntry& entry : outcome.passedOver) {
                nlohmann::json object;
                putName(object, "path", entry.relative);
                object["kind"] = words::passedOverKindName(entry.why);
                object["reason"] = passedOverText(entry.why);
                passed.push_back(object);
            }
            // "mode" names what the run did; "dryRun" stays for the scripts that read it.
            printJson({{"mode", options->dryRun ? "dryRun" : "export"},
                       {"dryRun", options->dryRun},
                       {"exported", exported},
                       {"repaired", repaired},
                       {"skipped", skipped},
                       {"failed", failed},
                       {"files", list},
                       {"gallery", outcome.galleryPage().empty()
                                       ? nlohmann::json()
                                       : nlohmann::json(utf8Name(outcome.galleryPage()))},
                       {"passedOver", passed}});
        } else {
            if (!outcome.galleryPage().empty())
                std::cout << "gallery: " << shownName(outcome.galleryPage()) << '\n';
            std::cout << exported << " " << (options->dryRun ? "would be " : "") << "exported ("
                      << repaired << " repaired), " << skipped << " skipped as already there, "
                      << failed << " failed\n";
        }
        if (failed > 0 || outcome.galleryFailed())
            throw Failure(kFileProblem, "");
    });
}

} // namespace kovra::cli
