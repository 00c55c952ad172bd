// When frames and sound samples start, exactly: a video frame n starts at n x scale / rate
// seconds of its strh, a sound sample frame at s x scale / rate of its own. Times are compared
// in integers of up to 128 bits, never in floating point, so that a frame at exactly a span's
// edge falls on the same side on every machine.
#pragma once

#include <cstdint>

#include "avi/avi_header.h"

namespace kovra::avi {

// How long one unit (a frame, a sample frame) lasts: num / den seconds; num 0 where the file
// does not say.
struct Clock {
    std::uint64_t num = 0, den = 1;
};

// The frame rates recorders make, in frames a second; a header claiming another lies, and
// a frame every 136 years would have a day's listing span millennia.
constexpr std::uint64_t kSlowestFrameRate = 1;
constexpr std::uint64_t kFastestFrameRate = 120;
// No recording is longer; a longer one is a header's lie.
constexpr std::uint64_t kLongestRecordingSeconds = 24 * 60 * 60;

// Whether frames of this length make a rate a recorder makes.
bool isRecorderRate(const Clock& clock);
// Whether n units of the clock last no longer than the longest recording.
bool withinLongestRecording(const Clock& clock, std::uint64_t n);

// The video's: strh scale / rate, or avih's microseconds per frame where strh gives no rate a
// recorder makes; num 0 where neither does.
Clock videoClock(const AviHeader& header);
// The video's strh clock where it is not the one videoClock() takes: avih's, as a repair or
// a clip writes it into strh. num 0 where strh's own is kept.
Clock rewrittenVideoClock(const AviHeader& header);
// The stream's own strh scale / rate.
Clock streamClock(const StreamHeader& stream);
bool sameRate(const Clock& a, const Clock& b);

// The first unit that starts at or after ms milliseconds (0 for ms at or before 0); the
// largest number where none can.
std::uint64_t firstStartingAt(const Clock& clock, std::int64_t ms);

// The unit of `to` that starts nearest to when unit n of `from` starts (half rounded up).
std::uint64_t nearestUnit(const Clock& from, std::uint64_t n, const Clock& to);

} // namespace kovra::avi
