// Whether two recordings are of one format, so that one header can describe them both.
#pragma once

#include "avi/plan.h"
#include "avi/video_reading.h"

namespace kovra::avi {

// The first way b differs from a, in this order: the set of streams (their number, kinds and
// which is the video), the codec, the frame size, the frame rate, the sound format (format tag,
// channels, sample rate, bits, block align, and its strh's sample size and rate); None when
// they are alike.
FormatDifference formatDifference(const VideoReading& a, const VideoReading& b);

} // namespace kovra::avi
