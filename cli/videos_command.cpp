// kovra-cli videos: every video with what it really holds, read from its headers and index.
#include <iomanip>
#include <iostream>
#include <memory>

#include "avi/video_report.h"
#include "cli/context.h"
#include "cli/failure.h"
#include "cli/video_text.h"
#include "device/video_files.h"

namespace kovra::cli {

namespace {

struct Listed {
    std::string path;
    std::uint64_t size;
    avi::VideoReport report;
};

void printTable(const std::vector<Listed>& videos) {
    std::size_t width = 4;
    for (const Listed& v : videos)
        width = std::max(width, v.path.size());
    auto row = [&](const std::string& path, const std::string& size, const std::string& length,
                   const std::string& frames, const std::string& resolution, const std::string& fps,
                   const std::string& state) {
        std::cout << std::left << std::setw(static_cast<int>(width) + 2) << path << std::right
                  << std::setw(10) << size << std::setw(9) << length << std::setw(8) << frames
                  << "  " << std::left << std::setw(11) << resolution << std::setw(7) << fps
                  << state << '\n';
    };
    row("PATH", "SIZE", "LENGTH", "FRAMES", "RESOLUTION", "FPS", "STATE");
    for (const Listed& v : videos) {
        const avi::VideoReport& r = v.report;
        bool readable = r.state != avi::VideoState::Unreadable;
        row(v.path, sizeText(v.size), readable ? durationText(r.durationSeconds) : "-",
            readable ? std::to_string(r.frames) : "-",
            r.width ? std::to_string(r.width) + "x" + std::to_string(r.height) : "-",
            r.fps > 0 ? frameRateText(r.fps) : "-", avi::stateName(r.state));
        for (const std::string& problem : problemTexts(r))
            std::cout << "    " << problem << '\n';
    }
}

} // namespace

void addVideosCommand(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand(
        "videos", "List videos with their real length, frames and state (default: the card's)");
    auto paths = std::make_shared<std::vector<std::string>>();
    command->add_option("PATH", *paths, "Video files, or folders searched for *.avi");
    addJsonFlag(*command, context);
    command->callback([&context, paths] {
        Platform& platform = context.platform;
        std::vector<std::string> given = *paths;
        if (given.empty())
            given.push_back(context.card().root);
        std::vector<Listed> listed;
        bool failed = false;
        auto list = [&](const std::string& file, const std::string& shown) {
            VideoFileSource source(platform, file);
            if (source.openError() != OsError::None) {
                warn(file + ": " + describe(source.openError()));
                failed = true;
                return;
            }
            avi::VideoReport report = avi::inspect(source);
            if (source.readError() != OsError::None) {
                warn(file + ": " + describe(source.readError()));
                failed = true;
                return;
            }
            listed.push_back({shown, source.size(), report});
        };
        for (const std::string& path : given) {
            FileInfo info;
            OsError error = platform.info(path.c_str(), info);
            if (error != OsError::None) {
                warn(path + ": " + describe(error));
                failed = true;
            } else if (info.isFolder()) {
                for (const std::string& relative : findVideos(platform, path))
                    list(joinPath(path, relative), relative);
            } else {
                list(path, path);
            }
        }
        if (context.json) {
            nlohmann::json array = nlohmann::json::array();
            for (const Listed& v : listed)
                array.push_back(reportJson(v.path, v.size, v.report));
            printJson(array);
        } else {
            printTable(listed);
        }
        if (failed)
            throw Failure(kFileProblem, "");
    });
}

} // namespace kovra::cli
