#include "player/player.h"

#include "player/failures.h"
#include "player/frames.h"
#include "player/saving.h"
#include "player/sound.h"

namespace kovra::player {

namespace {

// Set where the reading could not be made or holds no video.
std::shared_ptr<const CachedVideo> usable(std::shared_ptr<const CachedVideo> kept,
                                          const std::string& video, OsError error,
                                          Failure& failure) {
    if (!kept)
        failure = unreadable(video, error);
    else if (kept->reading.report.state == avi::VideoState::Unreadable)
        failure = unusable(video, kept->reading.report);
    return failure.refusal == Refusal::None ? kept : nullptr;
}

} // namespace

std::shared_ptr<const CachedVideo> Player::reading(const std::string& video, Failure& failure) {
    OsError error;
    std::shared_ptr<const CachedVideo> kept = cache_.get(platform_, video, error);
    return usable(kept, video, error, failure);
}

// A glance trusts an index it checked against the file's size alone: where a chunk is not where
// the index says, the video is read whole (every chunk the index lists checked there, the data
// walked where they disagree) and asked again, once.
std::shared_ptr<const CachedVideo> Player::readingAgain(const CachedVideo& glanced,
                                                        Failure& failure) {
    if (glanced.whole)
        return nullptr;
    OsError error;
    std::shared_ptr<const CachedVideo> kept = cache_.readWhole(platform_, glanced.path, error);
    failure = {};
    return usable(kept, glanced.path, error, failure);
}

FrameAnswer Player::frame(const std::string& video, std::uint64_t n) {
    FrameAnswer answer;
    std::shared_ptr<const CachedVideo> kept = reading(video, answer.failure);
    bool misplaced = false;
    if (kept)
        answer = frameOf(platform_, *kept, n, settings_.clockOffsetMillis, misplaced);
    if (misplaced && (kept = readingAgain(*kept, answer.failure)))
        answer = frameOf(platform_, *kept, n, settings_.clockOffsetMillis, misplaced);
    return answer;
}

SoundAnswer Player::sound(const std::string& video, double fromSeconds, double toSeconds) {
    SoundAnswer answer;
    std::shared_ptr<const CachedVideo> kept = reading(video, answer.failure);
    bool misplaced = false;
    if (kept)
        answer = soundOf(platform_, *kept, fromSeconds, toSeconds, misplaced);
    if (misplaced && (kept = readingAgain(*kept, answer.failure)))
        answer = soundOf(platform_, *kept, fromSeconds, toSeconds, misplaced);
    return answer;
}

PicturesAnswer Player::pictures(const std::string& video) {
    PicturesAnswer answer;
    std::shared_ptr<const CachedVideo> kept = reading(video, answer.failure);
    if (!kept)
        return answer;
    OsError error;
    std::shared_ptr<const VideoStrip> strip =
        pictures_.get(platform_, video, kept->size, kept->modified, error);
    if (!strip) {
        answer.failure = unreadable(video, error);
        return answer;
    }
    for (std::size_t i = 0; i < strip->pictures.size(); ++i) {
        StripPicture shown;
        shown.frame = strip->frames.at(i);
        shown.seconds = frameSeconds(kept->reading, shown.frame);
        shown.clock = frameClock(*kept, shown.frame, settings_.clockOffsetMillis);
        shown.picture = strip->pictures[i];
        shown.refused = strip->refused.at(i);
        answer.pictures.push_back(std::move(shown));
    }
    return answer;
}

PictureAnswer Player::picture(const std::string& video, std::uint64_t k) {
    PictureAnswer answer;
    PicturesAnswer strip = pictures(video);
    answer.failure = strip.failure;
    if (answer.failure.refusal != Refusal::None)
        return answer;
    if (k >= strip.pictures.size()) {
        answer.failure =
            refused(Refusal::NotFound,
                    "the video's strip has " + std::to_string(strip.pictures.size()) + " pictures");
        return answer;
    }
    answer.shown = std::move(strip.pictures[k]);
    if (!answer.shown.picture)
        answer.failure = noPicture(video, answer.shown.frame, answer.shown.refused);
    return answer;
}

SavedAnswer Player::saveFrame(const std::string& video, std::uint64_t n) {
    FrameAnswer answer = frame(video, n);
    if (answer.failure.refusal != Refusal::None)
        return {answer.failure, {}, {}};
    return player::saveFrame(platform_, answer, video, n, settings_.saveFolder);
}

SavedAnswer Player::saveClip(const clips::RangeCandidates& card, const std::string& start,
                             const std::string& end) {
    return player::saveClip(platform_, card, start, end, settings_.saveFolder,
                            settings_.clockOffsetMillis);
}

} // namespace kovra::player
