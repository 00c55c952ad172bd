// kovra-cli repair: a video a power cut left broken, rewritten whole into a new file.
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/context.h"
#include "cli/failure.h"
#include "cli/video_copy.h"

namespace kovra::cli {

namespace {

struct RepairOptions {
    std::string in, out;
    bool force = false;
};

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

} // namespace

void addRepairCommand(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand(
        "repair", "Write a repaired copy of a video: its index rebuilt, its sizes and counts "
                  "corrected, a cut last frame left out");
    auto options = std::make_shared<RepairOptions>();
    command->add_option("IN", options->in, "The broken video; it is only read")->required();
    command->add_option("OUT", options->out, "The repaired video to write")->required();
    command->add_flag("--force", options->force, "Replace OUT when it exists");
    addJsonFlag(*command, context);
    command->callback([&context, options] {
        Platform& platform = context.platform;
        const std::string& in = options->in;
        const std::string& out = options->out;
        FileInfo source, target;
        OsError error = platform.info(in.c_str(), source);
        if (error != OsError::None)
            throw fileFailure(in, describe(error));
        if (source.isFolder())
            throw fileFailure(in, "a folder, not a video");
        if (in == out || sameFile(in, out))
            throw Failure(kUsage, out + ": the repair goes to a new file, not over IN");
        if (platform.info(out.c_str(), target) == OsError::None && !options->force)
            throw Failure(kUsage, out + ": already there (--force replaces it)");

        VideoCopy copy = writePlayable(platform, in, out, source.modified);
        if (copy.error != OsError::None)
            throw fileFailure(copy.errorPath, describe(copy.error));
        if (!copy.result.written)
            throw fileFailure(in, "cannot be repaired: " + copy.result.reason);
        const CopyResult& r = copy.result;
        if (context.json) {
            printJson({{"path", out},
                       {"source", in},
                       {"wasSound", r.wasSound},
                       {"frames", r.frames},
                       {"fixed", r.fixed}});
            return;
        }
        if (r.wasSound) {
            std::cout << in << ": already sound; copied to " << out << " with RIFF, " << r.frames
                      << " frames\n";
            return;
        }
        std::cout << out << ": repaired, " << r.frames << " frames\n";
        for (const std::string& fix : r.fixed)
            std::cout << "  " << fix << '\n';
    });
}

} // namespace kovra::cli
