// What an output holds, known before a byte of it is written: its totals per stream, and
// whether it is one RIFF or OpenDML's parts, with where each part lies.
#pragma once

#include <cstdint>
#include <vector>

#include "avi/data_chunks.h"
#include "avi/plan.h"
#include "avi/plan_walk.h"
#include "avi/video_reading.h"

namespace kovra::avi {

// One RIFF of an OpenDML output, and its one movi.
struct RiffPart {
    PlanWalk::Position start;                 // where the walk stands before its first chunk
    Tally tally;                              // its data chunks
    std::uint64_t offset = 0;                 // of its "RIFF" in the output
    std::uint64_t moviFourcc = 0;             // the base its ix## offsets count from
    std::uint32_t riffSize = 0, moviSize = 0; // as their size fields say
};

struct OutputLayout {
    Tally tally; // every data chunk
    std::uint64_t frames = 0;
    std::uint64_t size = 0;
    bool openDml = false;
    std::uint64_t moviSize = 0;     // one RIFF: from the movi fourcc
    std::uint64_t superEntries = 0; // OpenDML: the parts, as each indx lists them
    std::uint64_t headerBytes = 0;  // OpenDML: hdrl and what follows it up to LIST movi
    std::vector<RiffPart> parts;
    std::vector<DataKind> kinds; // per stream: what its chunks are, for OpenDML's chunk ids
};

// False when the plan does not fit its readings, holds no frame, or cannot be written in
// 32-bit sizes.
bool layOut(const Plan& plan, const std::vector<const VideoReading*>& readings,
            OutputLayout& layout);

} // namespace kovra::avi
