// A video's frame as the browser is handed it: the recorder's JPEG byte for byte, the standard
// Huffman tables put before its scan where it has none (motion JPEG leaves them out), and when
// the frame starts.
#pragma once

#include <cstdint>
#include <optional>

#include "avi/video_reading.h"
#include "player/answers.h"
#include "player/reading_cache.h"

namespace kovra::player {

// The largest frame handed out: a recorder's are tens of kilobytes, a large camera's a
// megabyte or two; a chunk that claims more is no frame the server holds in memory for.
constexpr std::uint32_t kMostFrameBytes = 8u << 20;

// When frame n starts, in seconds from the video's first frame (its strh clock, or avih's).
double frameSeconds(const avi::VideoReading& reading, std::uint64_t n);

// When frame n starts on the recorder's clock moved by offsetMillis; none for a video without a
// time.
std::optional<clips::ClockMillis> frameClock(const CachedVideo& video, std::uint64_t n,
                                             std::int64_t offsetMillis);

// Frame n (from 0) of the video: one read of its chunk. offsetMillis: the clock offset the
// frame's time on the recorder's clock is moved by. misplaced: set where the chunk is not where
// the reading found it (a glance trusted an index that misstates it).
FrameAnswer frameOf(Platform& platform, const CachedVideo& video, std::uint64_t n,
                    std::int64_t offsetMillis, bool& misplaced);

} // namespace kovra::player
