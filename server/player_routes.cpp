#include "server/player_routes.h"

#include <algorithm>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "clips/clock_time.h"
#include "words/os_error_words.h"
#include "words/reasons.h"
#include "words/shown_names.h"

namespace kovra::server {

namespace {

constexpr double kMicrosPerSecond = 1e6;

unsigned statusOf(player::Refusal refusal) {
    switch (refusal) {
    case player::Refusal::None:
        return kOk;
    case player::Refusal::NotFound:
        return kNotFound;
    case player::Refusal::BadRequest:
        return kBadRequest;
    case player::Refusal::Unusable:
    case player::Refusal::NoSound:
        return kUnprocessable;
    case player::Refusal::TooLarge:
        return kPayloadTooLarge;
    case player::Refusal::Unreadable:
    case player::Refusal::Unwritable:
        break;
    }
    return kInternalError;
}

// The refusal in words: the file that failed, made safe to show, with the system's reason.
Reply failureReply(const player::Failure& failure) {
    std::string why = failure.text;
    if (why.empty() && !failure.path.empty())
        why = words::utf8Name(failure.path) + ": " + words::describe(failure.error);
    return errorReply(statusOf(failure.refusal), why.empty() ? "not answered" : why);
}

Reply bytesReply(const char* type, const std::vector<std::uint8_t>& bytes) {
    return {kOk, type, std::string(bytes.begin(), bytes.end()), {}};
}

} // namespace

PlayerRoutes::PlayerRoutes(Platform& platform, std::string card,
                           const std::vector<ListedVideo>& listed, player::PlayerSettings settings)
    : platform_(platform), card_(std::move(card)), clockOffsetMillis_(settings.clockOffsetMillis),
      player_(platform, std::move(settings)) {
    for (const ListedVideo& video : listed) {
        if (!video.failure.empty() || !video.video.time)
            continue;
        if (std::optional<clips::RecordingTime> time =
                clips::shifted(*video.video.time, -clockOffsetMillis_))
            listedTimes_[video.path] = ListedTime{video.video.size, *time};
    }
}

bool PlayerRoutes::listedOutside(const std::string& path, clips::ClockMillis start,
                                 clips::ClockMillis end) {
    auto listed = listedTimes_.find(path);
    if (listed == listedTimes_.end())
        return false;
    const clips::RecordingTime& time = listed->second.time;
    if (time.end >= start && time.start <= end)
        return false;
    FileInfo info;
    return platform_.info(path.c_str(), info) == OsError::None && info.isFile() &&
           info.size == listed->second.size;
}

Reply PlayerRoutes::frame(const std::string& video, std::uint64_t n) {
    player::FrameAnswer answer = player_.frame(video, n);
    if (answer.failure.refusal != player::Refusal::None)
        return failureReply(answer.failure);
    Reply reply = bytesReply("image/jpeg", answer.jpeg);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.6f", answer.seconds);
    reply.headers.emplace_back(kFrameSecondsHeader, seconds);
    if (answer.clock)
        reply.headers.emplace_back(kFrameClockHeader, clips::isoText(*answer.clock));
    // A frame's bytes never change while the card is served: the page may keep it.
    reply.headers.emplace_back("Cache-Control", "private, max-age=3600");
    return reply;
}

Reply PlayerRoutes::frames(const std::string& video, std::uint64_t from, std::uint64_t count) {
    player::FrameAnswer answer = player_.frame(video, from);
    if (answer.failure.refusal != player::Refusal::None)
        return failureReply(answer.failure);
    Reply reply{kOk, "application/octet-stream", {}, {}};
    std::string sizes, seconds;
    for (std::uint64_t k = 0;;) {
        reply.body.append(answer.jpeg.begin(), answer.jpeg.end());
        char at[32];
        std::snprintf(at, sizeof at, "%s%.6f", k == 0 ? "" : ",", answer.seconds);
        seconds += at;
        sizes += (k == 0 ? "" : ",") + std::to_string(answer.jpeg.size());
        if (++k == count || from + k >= answer.frames)
            break;
        answer = player_.frame(video, from + k);
        // A later frame that fails ends the batch: the page asks for it alone, and is told why.
        if (answer.failure.refusal != player::Refusal::None)
            break;
    }
    reply.headers.emplace_back(kFrameSizesHeader, sizes);
    reply.headers.emplace_back(kFrameSecondsHeader, seconds);
    // As each frame's: the bytes never change while the card is served.
    reply.headers.emplace_back("Cache-Control", "private, max-age=3600");
    return reply;
}

Reply PlayerRoutes::sound(const std::string& video, const SoundSpan& span) {
    player::SoundAnswer answer =
        player_.sound(video, span.fromMicros / kMicrosPerSecond, span.toMicros / kMicrosPerSecond);
    if (answer.failure.refusal != player::Refusal::None)
        return failureReply(answer.failure);
    return bytesReply("audio/wav", answer.wav);
}

Reply PlayerRoutes::pictures(const std::string& video) {
    player::PicturesAnswer answer = player_.pictures(video);
    if (answer.failure.refusal != player::Refusal::None)
        return failureReply(answer.failure);
    nlohmann::json list = nlohmann::json::array();
    for (const player::StripPicture& shown : answer.pictures) {
        nlohmann::json item{{"frame", shown.frame}, {"seconds", shown.seconds}};
        if (shown.clock)
            item["clock"] = clips::isoText(*shown.clock);
        if (shown.picture) {
            item["width"] = shown.picture->width;
            item["height"] = shown.picture->height;
        } else {
            item["refused"] = words::noPictureText(shown.refused);
        }
        list.push_back(std::move(item));
    }
    return jsonReply(nlohmann::json{{"pictures", std::move(list)}}.dump() + "\n");
}

Reply PlayerRoutes::picture(const std::string& video, std::uint64_t k) {
    player::PictureAnswer answer = player_.picture(video, k);
    if (answer.failure.refusal != player::Refusal::None)
        return failureReply(answer.failure);
    const Picture& picture = *answer.shown.picture;
    // The codec's own format: a JPEG, or a PNG where the system's encoder had to.
    bool jpeg = std::string(picture.extension) == "jpg";
    Reply reply = bytesReply(jpeg ? "image/jpeg" : "image/png", picture.bytes);
    // Made from a frame whose bytes never change while the card is served, as a frame's.
    reply.headers.emplace_back("Cache-Control", "private, max-age=3600");
    return reply;
}

Reply PlayerRoutes::saveClip(clips::ClockMillis start, clips::ClockMillis end) {
    // The router took --clock-offset off; the player takes texts as the page shows them.
    clips::RangeCandidates card = clips::findRangeCandidates(platform_, card_);
    // The listing read every recording's time at start: one timed wholly outside the range
    // gives the clip nothing, and is not read again (on a full card, that reading was most of
    // a save). One it did not time, or that has changed since, is left to the job to judge.
    card.paths.erase(
        std::remove_if(card.paths.begin(), card.paths.end(),
                       [&](const std::string& path) { return listedOutside(path, start, end); }),
        card.paths.end());
    player::SavedAnswer answer = player_.saveClip(card, clips::isoText(start + clockOffsetMillis_),
                                                  clips::isoText(end + clockOffsetMillis_));
    if (answer.failure.refusal != player::Refusal::None)
        return failureReply(answer.failure);
    return jsonReply(answer.document.dump() + "\n");
}

Reply PlayerRoutes::saveFrame(const std::string& video, std::uint64_t n) {
    player::SavedAnswer answer = player_.saveFrame(video, n);
    if (answer.failure.refusal != player::Refusal::None)
        return failureReply(answer.failure);
    return jsonReply(answer.document.dump() + "\n");
}

} // namespace kovra::server
