// What an output video holds, said before a byte of it is written: ranges of complete chunks
// taken from one or more readings, in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "avi/video_reading.h"

namespace kovra::avi {

// Chunks [first, last) of one source's reading, in its file order.
struct ChunkRange {
    std::size_t source = 0; // index into the readings the plan is written with
    std::size_t first = 0, last = 0;
};

struct Plan {
    // The first source's bytes as they are, "RIFF" written over its signature: what a repair
    // of a sound video writes.
    bool asIs = false;
    std::vector<ChunkRange> ranges;
};

// A repair: the whole of one reading (which must hold its chunks, and not be Unreadable).
Plan planWhole(const VideoReading& reading);

} // namespace kovra::avi
