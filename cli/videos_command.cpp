// kovra-cli videos: every video with what it really holds, read from its headers and index, and
// when it was recorded.
#include <algorithm>
#include <iomanip>
#include <iostream>
#include <memory>

#include "avi/video_report.h"
#include "cli/context.h"
#include "cli/failure.h"
#include "clips/timed_video.h"
#include "server/video_listing.h"
#include "words/finding_words.h"
#include "words/os_error_words.h"
#include "words/quantities.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::describe;
using words::durationText;
using words::frameRateText;
using words::problemTexts;
using words::shownName;
using words::sizeText;

namespace {

struct VideosOptions {
    std::vector<std::string> paths;
    std::string sort = "path";
    std::string clockOffset;
};

using server::listedJson;
using server::ListedVideo;

void printTable(const std::vector<ListedVideo>& videos) {
    std::size_t width = 4;
    for (const ListedVideo& v : videos)
        width = std::max(width, shownName(v.shown).size());
    auto row = [&](const std::string& path, const std::string& start, const std::string& size,
                   const std::string& length, const std::string& frames,
                   const std::string& resolution, const std::string& fps,
                   const std::string& state) {
        std::cout << std::left << std::setw(static_cast<int>(width) + 2) << path << std::setw(21)
                  << start << std::right << std::setw(10) << size << std::setw(9) << length
                  << std::setw(8) << frames << "  " << std::left << std::setw(11) << resolution
                  << std::setw(7) << fps << state << '\n';
    };
    row("PATH", "START", "SIZE", "LENGTH", "FRAMES", "RESOLUTION", "FPS", "STATE");
    for (const ListedVideo& v : videos) {
        if (!v.failure.empty())
            continue; // said on stderr
        const avi::VideoReport& r = v.video.report;
        bool readable = r.state != avi::VideoState::Unreadable;
        row(shownName(v.shown), v.video.time ? clips::shownText(v.video.time->start) : "-",
            sizeText(v.video.size), readable ? durationText(r.durationSeconds) : "-",
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
        "videos", "List videos with when they were recorded, their real length, frames and state "
                  "(default: the card's)");
    auto options = std::make_shared<VideosOptions>();
    command->add_option("PATH", options->paths, "Video files, or folders searched for *.avi")
        ->check(nonEmptyPath());
    command->add_option("--sort", options->sort, "Order by path (the default) or by time recorded")
        ->check(CLI::IsMember({"path", "time"}))
        ->type_name("path|time");
    addClockOffsetOption(*command, options->clockOffset);
    addJsonFlag(*command, context);
    command->callback([&context, options] {
        Platform& platform = context.platform;
        std::int64_t offset = clockOffsetMillis(options->clockOffset);
        std::vector<std::string> given = options->paths;
        if (given.empty())
            given.push_back(context.card().root);
        std::vector<ListedVideo> listed;
        auto say = [](const std::string& message) { warn(message); };
        for (const std::string& path : given) {
            FileInfo info;
            OsError error = platform.info(path.c_str(), info);
            if (error != OsError::None)
                server::listFailure(path, describe(error), listed, say);
            else if (info.isFolder())
                server::listFolder(platform, path, offset, listed, say);
            else
                server::listFile(platform, path, path, offset, listed, say);
        }
        // By the time recorded: those with none last, each group in the order found.
        if (options->sort == "time")
            std::stable_sort(listed.begin(), listed.end(),
                             [](const ListedVideo& a, const ListedVideo& b) {
                                 const auto &ta = a.video.time, &tb = b.video.time;
                                 return ta && (!tb || ta->start < tb->start);
                             });
        bool failed = false;
        for (const ListedVideo& v : listed)
            failed = failed || !v.failure.empty();
        if (context.json) {
            nlohmann::json array = nlohmann::json::array();
            for (const ListedVideo& v : listed)
                array.push_back(listedJson(v));
            printJson(array);
        } else {
            printTable(listed);
        }
        if (failed)
            throw Failure(kFileProblem, "");
    });
}

} // namespace kovra::cli
