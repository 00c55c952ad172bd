// What the server's media routes ask of whoever reads and writes videos: each called with
// values the routes have parsed and checked, a video named by its path from the listing (never
// by any text of the URL), and answering with the reply to send.
#pragma once

#include <cstdint>

#include "clips/clock_time.h"
#include "server/reply.h"

namespace kovra::server {

// The most frames one batch answers: a couple of seconds of play, a few hundred KiB.
constexpr std::uint64_t kMostBatchFrames = 32;

// A span of a video's sound, in microseconds from its start: 0 <= from < to, to - from at
// most kLongestSoundMicros.
struct SoundSpan {
    std::int64_t fromMicros = 0;
    std::int64_t toMicros = 0;
};

class MediaRoutes {
  public:
    virtual ~MediaRoutes() = default;
    // GET /api/videos/ID/frames/N: the Nth complete frame (from 0) as image/jpeg.
    virtual Reply frame(const std::string& video, std::uint64_t n) = 0;
    // GET /api/videos/ID/frames?from=N&count=K: frames N to N+K-1 (1 <= K <= kMostBatchFrames)
    // one after another in one body, fewer where the video ends first; N past the end is
    // refused as frame N is.
    virtual Reply frames(const std::string& video, std::uint64_t from, std::uint64_t count) = 0;
    // GET /api/videos/ID/sound?from=S&to=S: the span's samples as audio/wav.
    virtual Reply sound(const std::string& video, const SoundSpan& span) = 0;
    // GET /api/videos/ID/pictures: the gallery's strip of the video as JSON, each picture's
    // frame and time.
    virtual Reply pictures(const std::string& video) = 0;
    // GET /api/videos/ID/pictures/K: picture K of that strip, as the gallery made it.
    virtual Reply picture(const std::string& video, std::uint64_t k) = 0;
    // POST /api/clips: the range, on the recorder's clock (the --clock-offset already taken
    // off), start before end, written into the save folder.
    virtual Reply saveClip(clips::ClockMillis start, clips::ClockMillis end) = 0;
    // POST /api/frames: the Nth frame saved as a JPEG into the save folder.
    virtual Reply saveFrame(const std::string& video, std::uint64_t n) = 0;
};

} // namespace kovra::server
