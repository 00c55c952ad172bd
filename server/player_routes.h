// The media routes answered by the player: a video's frames, sound and the gallery's pictures, a
// clip or a frame saved,
// each answer or refusal of the player put into HTTP's terms.
#pragma once

#include <string>

#include "player/player.h"
#include "server/media_routes.h"

namespace kovra::server {

// Where each frame answer says when its frame starts: seconds from the video's first frame,
// and the moment on the recorder's clock (moved by --clock-offset) where the video has a time.
constexpr const char* kFrameSecondsHeader = "X-Kovra-Frame-Seconds";
constexpr const char* kFrameClockHeader = "X-Kovra-Frame-Clock";

class PlayerRoutes final : public MediaRoutes {
  public:
    // card: the folder whose videos a saved clip is cut from, as `clip --from` takes it.
    PlayerRoutes(Platform& platform, std::string card, player::PlayerSettings settings);

    Reply frame(const std::string& video, std::uint64_t n) override;
    Reply sound(const std::string& video, const SoundSpan& span) override;
    Reply pictures(const std::string& video) override;
    Reply picture(const std::string& video, std::uint64_t k) override;
    Reply saveClip(clips::ClockMillis start, clips::ClockMillis end) override;
    Reply saveFrame(const std::string& video, std::uint64_t n) override;

  private:
    Platform& platform_;
    std::string card_;
    std::int64_t clockOffsetMillis_;
    player::Player player_;
};

} // namespace kovra::server
