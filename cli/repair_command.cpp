// kovra-cli repair: a video a power cut left broken, rewritten whole into a new file.
#include <iostream>
#include <memory>

#include "cli/context.h"
#include "cli/failure.h"
#include "device/video_copy.h"
#include "device/video_export.h"
#include "words/finding_words.h"
#include "words/os_error_words.h"
#include "words/report_json.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::describe;
using words::fixTexts;
using words::problemText;
using words::putName;
using words::shownName;

namespace {

struct RepairOptions {
    std::string in, out;
    bool force = false;
};

} // namespace

void addRepairCommand(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand(
        "repair", "Write a repaired copy of a video: its index rebuilt, its sizes and counts "
                  "corrected, a cut last frame left out");
    auto options = std::make_shared<RepairOptions>();
    command->add_option("IN", options->in, "The broken video; it is only read")
        ->required()
        ->check(nonEmptyPath());
    command->add_option("OUT", options->out, "The repaired video to write")
        ->required()
        ->check(nonEmptyPath());
    command->add_flag("--force", options->force,
                      "Replace OUT when it exists (a regular file, or a link)");
    addJsonFlag(*command, context);
    command->callback([&context, options] {
        Platform& platform = context.platform;
        const std::string& in = options->in;
        const std::string& out = options->out;
        FileInfo source;
        OsError error = platform.info(in.c_str(), source);
        if (error != OsError::None)
            throw fileFailure(in, describe(error));
        if (source.isFolder())
            throw fileFailure(in, "is a folder, not a video");
        if (!source.isFile())
            throw fileFailure(in, "not a regular file");
        if (sameFile(platform, in, out))
            throw Failure(kUsage, out + ": the repair goes to a new file, not over IN");
        requireReplaceable(platform, out, options->force, true);

        OutputPlatform writing(platform, out, options->force);
        VideoCopy copy = writePlayable(writing.get(), in, out, source.modified);
        if (copy.error != OsError::None)
            throw fileFailure(copy.errorPath,
                              (copy.error.side() == OsError::Side::Source ? "cannot be read: "
                                                                          : "cannot be written: ") +
                                  describe(copy.error));
        const avi::VideoReport& report = copy.report;
        if (!copy.written)
            throw fileFailure(in, "cannot be repaired: " + problemText(report.findings.front()));
        bool wasSound = report.state == avi::VideoState::Ok;
        std::vector<std::string> fixed = fixTexts(report);
        if (context.json) {
            nlohmann::json document;
            putName(document, "path", out);
            putName(document, "source", in);
            // The source's state by name; wasSound, the same as a yes or no, stays for the
            // scripts that read it.
            document["sourceState"] = avi::stateName(report.state);
            document["wasSound"] = wasSound;
            document["frames"] = report.frames;
            document["fixed"] = fixed;
            document["findings"] = words::findingsJson(report);
            printJson(document);
            return;
        }
        if (wasSound) {
            std::cout << shownName(in) << ": already sound; copied to " << shownName(out)
                      << " with RIFF, " << report.frames << " frames\n";
            return;
        }
        std::cout << shownName(out) << ": repaired, " << report.frames << " frames\n";
        for (const std::string& fix : fixed)
            std::cout << "  " << fix << '\n';
    });
}

} // namespace kovra::cli
