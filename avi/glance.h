// A light reading of a video for its pictures: its report, and where its first complete frames
// and a few frames spread evenly over it lie, found without reading the frames themselves.
#pragma once

#include <cstdint>
#include <vector>

#include "avi/byte_source.h"
#include "avi/riff.h"
#include "avi/video_report.h"

namespace kovra::avi {

// A video frame's chunk: its header's place in the source, as the reading found it.
struct FramePlace {
    std::uint64_t offset = 0; // of the chunk header
    FourCC id = 0;
    std::uint32_t size = 0;  // of the payload; 0: no frame with bytes there
    std::uint64_t frame = 0; // its number among the video's frames, from 0
};

struct Glance {
    // State Ok where an index lists every frame, Repairable where the chunk headers had to be
    // walked, Unreadable with its reason.
    VideoReport report;
    // The first frames that hold any bytes, in order: a cover is taken from the first that
    // gives a picture.
    std::vector<FramePlace> leading;
    // One frame from the middle of each of `spread` equal parts of the video, in order; fewer
    // for a video of fewer frames. A part that holds only dropped frames has a place of size 0.
    std::vector<FramePlace> spread;
};

// The most leading frames tried for a cover: a recorder's first frame may be damaged, but a
// video whose first few give no picture gives none.
constexpr std::size_t kLeadingFrames = 3;
// The most spread frames asked for: a strip, never a copy of the video.
constexpr unsigned kMostSpreadFrames = 64;

// Reads the headers and the index, checked against the file's size only; where there is no
// usable index, hops from chunk header to chunk header, a small read each, to where the data
// stops. Never reads a window of data it does not look at.
Glance glance(ByteSource& source, unsigned spread);

} // namespace kovra::avi
