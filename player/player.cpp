#include "player/player.h"

#include "player/failures.h"
#include "player/frames.h"
#include "player/saving.h"
#include "player/sound.h"

namespace kovra::player {

std::shared_ptr<const CachedVideo> Player::reading(const std::string& video, Failure& failure) {
    OsError error;
    std::shared_ptr<const CachedVideo> kept = cache_.get(platform_, video, error);
    if (!kept)
        failure = unreadable(video, error);
    else if (kept->reading.report.state == avi::VideoState::Unreadable)
        failure = unusable(video, kept->reading.report);
    return kept;
}

FrameAnswer Player::frame(const std::string& video, std::uint64_t n) {
    Failure failure;
    std::shared_ptr<const CachedVideo> kept = reading(video, failure);
    if (failure.refusal != Refusal::None)
        return {failure, {}, 0, std::nullopt, 0};
    return frameOf(platform_, *kept, n, settings_.clockOffsetMillis);
}

SoundAnswer Player::sound(const std::string& video, double fromSeconds, double toSeconds) {
    SoundAnswer answer;
    std::shared_ptr<const CachedVideo> kept = reading(video, answer.failure);
    if (answer.failure.refusal != Refusal::None)
        return answer;
    return soundOf(platform_, *kept, fromSeconds, toSeconds);
}

SavedAnswer Player::saveFrame(const std::string& video, std::uint64_t n) {
    SavedAnswer answer;
    std::shared_ptr<const CachedVideo> kept = reading(video, answer.failure);
    if (answer.failure.refusal != Refusal::None)
        return answer;
    return player::saveFrame(platform_, *kept, n, settings_.saveFolder,
                             settings_.clockOffsetMillis);
}

SavedAnswer Player::saveClip(const clips::RangeCandidates& card, const std::string& start,
                             const std::string& end) {
    return player::saveClip(platform_, card, start, end, settings_.saveFolder,
                            settings_.clockOffsetMillis);
}

} // namespace kovra::player
