#include "server/video_listing.h"

#include "device/each_on_threads.h"
#include "device/file_paths.h"
#include "device/video_finder.h"
#include "words/os_error_words.h"
#include "words/reasons.h"
#include "words/report_json.h"
#include "words/shown_names.h"

namespace kovra::server {

namespace {

// A card's recordings listed from the page cache cost the processor a read of each chunk
// header, not the storage: they are read on the cores there are, and listed in order.
constexpr unsigned kMostReadingThreads = 4;

void listRead(clips::TimedVideo video, const std::string& file, const std::string& shown,
              std::int64_t offsetMillis, std::vector<ListedVideo>& into, const Warn& warn) {
    if (video.error != OsError::None)
        return listFailure(shown, words::describe(video.error), into, warn);
    if (video.time)
        video.time = clips::shifted(*video.time, offsetMillis);
    into.push_back({file, shown, std::move(video), ""});
}

} // namespace

void listFailure(const std::string& shown, const std::string& why, std::vector<ListedVideo>& into,
                 const Warn& warn) {
    warn(words::shownName(shown) + ": " + why);
    ListedVideo failed;
    failed.path = shown;
    failed.shown = shown;
    failed.failure = why;
    into.push_back(failed);
}

void listFile(Platform& platform, const std::string& file, const std::string& shown,
              std::int64_t offsetMillis, std::vector<ListedVideo>& into, const Warn& warn) {
    listRead(clips::readTimedVideo(platform, file), file, shown, offsetMillis, into, warn);
}

void listFolder(Platform& platform, const std::string& folder, std::int64_t offsetMillis,
                std::vector<ListedVideo>& into, const Warn& warn) {
    FoundVideos found = findVideos(platform, folder);
    // A file or folder that could not be read is listed with why; a link not followed, or a
    // limit reached, is only said.
    for (const PassedOverEntry& entry : found.passedOver) {
        std::string shown = joinPath(folder, entry.relative);
        std::string why =
            std::string("passed over: ") + words::passedOverText(entry.why) +
            (entry.error != OsError::None ? " (" + words::describe(entry.error) + ")" : "");
        if (entry.why == PassedOver::NotAFile || entry.why == PassedOver::Unlisted)
            listFailure(shown, why, into, warn);
        else
            warn(words::shownName(shown) + ": " + why);
    }
    std::vector<clips::TimedVideo> read(found.videos.size());
    doEachOnThreads(read.size(), kMostReadingThreads, [&](std::size_t i) {
        read[i] = clips::readTimedVideo(platform, joinPath(folder, found.videos[i]));
    });
    for (std::size_t i = 0; i < read.size(); ++i)
        listRead(std::move(read[i]), joinPath(folder, found.videos[i]), found.videos[i],
                 offsetMillis, into, warn);
}

nlohmann::json listedJson(const ListedVideo& v) {
    if (!v.failure.empty()) {
        // A file that could not be read is listed too, with why.
        nlohmann::json entry;
        words::putName(entry, "path", v.shown);
        entry["state"] = avi::stateName(avi::VideoState::Unreadable);
        entry["reason"] = words::utf8Name(v.failure);
        return entry;
    }
    nlohmann::json entry = words::reportJson(v.shown, v.video.size, v.video.report);
    const std::optional<clips::RecordingTime>& time = v.video.time;
    entry["recordedStart"] = time ? nlohmann::json(clips::isoText(time->start)) : nlohmann::json();
    entry["recordedEnd"] = time ? nlohmann::json(clips::isoText(time->end)) : nlohmann::json();
    entry["timeSource"] =
        time ? nlohmann::json(clips::timeSourceName(time->source)) : nlohmann::json();
    return entry;
}

} // namespace kovra::server
