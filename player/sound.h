// A span of a video's sound as the browser is handed it: a WAVE file of the video's own PCM,
// cut where a clip of the same span cuts (avi::planSpans decides both), so that what the page
// plays and what "Save this clip" writes hold the same samples.
#pragma once

#include <cstddef>

#include "player/answers.h"
#include "player/reading_cache.h"

namespace kovra::player {

// RIFF, its size, WAVE; "fmt " and its 16 bytes; "data" and its size.
constexpr std::size_t kWavHeaderSize = 44;
// The most one answer holds: the page asks for spans of seconds, and 8 MiB is minutes of a
// recorder's sound; the server as a whole keeps under 30 MiB.
constexpr std::size_t kMostWavBytes = 8u << 20;

// The sound of the frames that start in [fromSeconds, toSeconds) of the video, from the first
// such frame's start to the last one's end, cut at the sample. A span reaching past the video
// is cut to it; one that starts past its end is NotFound; one holding no frame's start is a WAV
// of no samples; a span that is none (reversed, not finite, longer than any recording) is
// BadRequest. moved: set where a sound chunk is not where the reading found it.
SoundAnswer soundOf(Platform& platform, const CachedVideo& video, double fromSeconds,
                    double toSeconds, bool& moved);

} // namespace kovra::player
