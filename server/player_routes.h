// The media routes answered by the player: a video's frames, sound and the gallery's pictures, a
// clip or a frame saved,
// each answer or refusal of the player put into HTTP's terms.
#pragma once

#include <map>
#include <string>

#include "player/player.h"
#include "server/media_routes.h"
#include "server/video_listing.h"

namespace kovra::server {

// Where each frame answer says when its frame starts: seconds from the video's first frame,
// and the moment on the recorder's clock (moved by --clock-offset) where the video has a time.
constexpr const char* kFrameSecondsHeader = "X-Kovra-Frame-Seconds";
constexpr const char* kFrameClockHeader = "X-Kovra-Frame-Clock";
// Where a batch of frames says each one's length in bytes and start in seconds, in its order,
// separated by commas.
constexpr const char* kFrameSizesHeader = "X-Kovra-Frame-Sizes";

class PlayerRoutes final : public MediaRoutes {
  public:
    // card: the folder whose videos a saved clip is cut from, as `clip --from` takes it;
    // listed: its videos as read at start (times moved by the settings' clock offset).
    PlayerRoutes(Platform& platform, std::string card, const std::vector<ListedVideo>& listed,
                 player::PlayerSettings settings);

    Reply frame(const std::string& video, std::uint64_t n) override;
    Reply frames(const std::string& video, std::uint64_t from, std::uint64_t count) override;
    Reply sound(const std::string& video, const SoundSpan& span) override;
    Reply pictures(const std::string& video) override;
    Reply picture(const std::string& video, std::uint64_t k) override;
    Reply saveClip(clips::ClockMillis start, clips::ClockMillis end) override;
    Reply saveFrame(const std::string& video, std::uint64_t n) override;

  private:
    // A video the listing timed: its size then, and its time on the recorder's clock.
    struct ListedTime {
        std::uint64_t size = 0;
        clips::RecordingTime time;
    };
    // Whether the listing shows that path can give no frame to [start, end): timed wholly
    // outside it, and the same size still.
    bool listedOutside(const std::string& path, clips::ClockMillis start, clips::ClockMillis end);

    Platform& platform_;
    std::string card_;
    std::int64_t clockOffsetMillis_;
    std::map<std::string, ListedTime> listedTimes_;
    player::Player player_;
};

} // namespace kovra::server
