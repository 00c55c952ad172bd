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
#include "device/video_finder.h"
#include "words/finding_words.h"
#include "words/os_error_words.h"
#include "words/quantities.h"
#include "words/reasons.h"
#include "words/report_json.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::describe;
using words::durationText;
using words::frameRateText;
using words::passedOverText;
using words::problemTexts;
using words::putName;
using words::reportJson;
using words::shownName;
using words::sizeText;
using words::utf8Name;

namespace {

struct VideosOptions {
    std::vector<std::string> paths;
    std::string sort = "path";
    std::string clockOffset;
};

struct Listed {
    std::string shown; // as given, or relative to the folder searched
    clips::TimedVideo video;
    std::string failure; // why the file could not be read at all
};

void printTable(const std::vector<Listed>& videos) {
    std::size_t width = 4;
    for (const Listed& v : videos)
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
    for (const Listed& v : videos) {
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

nlohmann::json listedJson(const Listed& v) {
    if (!v.failure.empty()) {
        // A file that could not be read is listed too, with why.
        nlohmann::json entry;
        putName(entry, "path", v.shown);
        entry["state"] = avi::stateName(avi::VideoState::Unreadable);
        entry["reason"] = utf8Name(v.failure);
        return entry;
    }
    nlohmann::json entry = reportJson(v.shown, v.video.size, v.video.report);
    const std::optional<clips::RecordingTime>& time = v.video.time;
    entry["recordedStart"] = time ? nlohmann::json(clips::isoText(time->start)) : nlohmann::json();
    entry["recordedEnd"] = time ? nlohmann::json(clips::isoText(time->end)) : nlohmann::json();
    entry["timeSource"] =
        time ? nlohmann::json(clips::timeSourceName(time->source)) : nlohmann::json();
    return entry;
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
        std::vector<Listed> listed;
        auto fail = [&](const std::string& shown, const std::string& why) {
            warn(shownName(shown) + ": " + why);
            Listed failed;
            failed.shown = shown;
            failed.failure = why;
            listed.push_back(failed);
        };
        auto list = [&](const std::string& file, const std::string& shown) {
            clips::TimedVideo video = clips::readTimedVideo(platform, file);
            if (video.error != OsError::None)
                return fail(shown, describe(video.error));
            if (video.time)
                video.time = clips::shifted(*video.time, offset);
            listed.push_back({shown, video, ""});
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
        // By the time recorded: those with none last, each group in the order found.
        if (options->sort == "time")
            std::stable_sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
                const auto &ta = a.video.time, &tb = b.video.time;
                return ta && (!tb || ta->start < tb->start);
            });
        bool failed = false;
        for (const Listed& v : listed)
            failed = failed || !v.failure.empty();
        if (context.json) {
            nlohmann::json array = nlohmann::json::array();
            for (const Listed& v : listed)
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
