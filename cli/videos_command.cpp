// kovra-cli videos: every video with what it really holds, read from its headers and index.
#include <iomanip>
#include <iostream>
#include <memory>

#include "avi/video_report.h"
#include "cli/context.h"
#include "cli/failure.h"
#include "cli/names.h"
#include "cli/video_text.h"
#include "device/video_copy.h"
#include "device/video_finder.h"

namespace kovra::cli {

namespace {

struct Listed {
    std::string path;
    std::uint64_t size = 0;
    avi::VideoReport report;
    std::string failure; // why the file could not be read at all
};

void printTable(const std::vector<Listed>& videos) {
    std::size_t width = 4;
    for (const Listed& v : videos)
        width = std::max(width, shownName(v.path).size());
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
        if (!v.failure.empty())
            continue; // said on stderr
        const avi::VideoReport& r = v.report;
        bool readable = r.state != avi::VideoState::Unreadable;
        row(shownName(v.path), sizeText(v.size), readable ? durationText(r.durationSeconds) : "-",
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
    command->add_option("PATH", *paths, "Video files, or folders searched for *.avi")
        ->check(nonEmptyPath());
    addJsonFlag(*command, context);
    command->callback([&context, paths] {
        Platform& platform = context.platform;
        std::vector<std::string> given = *paths;
        if (given.empty())
            given.push_back(context.card().root);
        std::vector<Listed> listed;
        auto fail = [&](const std::string& shown, const std::string& why) {
            warn(shownName(shown) + ": " + why);
            Listed failed;
            failed.path = shown;
            failed.failure = why;
            listed.push_back(failed);
        };
        auto list = [&](const std::string& file, const std::string& shown) {
            VideoCopy read = inspectVideo(platform, file);
            if (read.error != OsError::None)
                return fail(shown, describe(read.error));
            FileInfo info;
            platform.info(file.c_str(), info);
            listed.push_back({shown, info.size, read.report, ""});
        };
        for (const std::string& path : given) {
            FileInfo info;
            OsError error = platform.info(path.c_str(), info);
            if (error != OsError::None) {
                fail(path, describe(error));
            } else if (info.isFolder()) {
                FoundVideos found = findVideos(platform, path);
                // A file or folder that could not be read is listed with why; a link not
                // followed, or a limit reached, is only said.
                for (const PassedOverEntry& entry : found.passedOver) {
                    std::string shown = joinPath(path, entry.relative);
                    std::string why =
                        std::string("passed over: ") + passedOverText(entry.why) +
                        (entry.error != OsError::None ? " (" + describe(entry.error) + ")" : "");
                    if (entry.why == PassedOver::NotAFile || entry.why == PassedOver::Unlisted)
                        fail(shown, why);
                    else
                        warn(shownName(shown) + ": " + why);
                }
                for (const std::string& relative : found.videos)
                    list(joinPath(path, relative), relative);
            } else {
                list(path, path);
            }
        }
        bool failed = false;
        for (const Listed& v : listed)
            failed = failed || !v.failure.empty();
        if (context.json) {
            nlohmann::json array = nlohmann::json::array();
            for (const Listed& v : listed) {
                if (v.failure.empty()) {
                    array.push_back(reportJson(v.path, v.size, v.report));
                    continue;
                }
                // A file that could not be read is listed too, with why.
                nlohmann::json entry;
                putName(entry, "path", v.path);
                entry["state"] = avi::stateName(avi::VideoState::Unreadable);
                entry["reason"] = utf8Name(v.failure);
                array.push_back(entry);
            }
            printJson(array);
        } else {
            printTable(listed);
        }
        if (failed)
            throw Failure(kFileProblem, "");
    });
}

} // namespace kovra::cli
