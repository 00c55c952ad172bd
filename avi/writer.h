// Writes a plan as a standard AVI: "RIFF", the first source's header with every size, count,
// length and suggested buffer size made to match the data, every chunk padded to an even
// size, and a fresh idx1; past the plan's singleRiffUpTo, as OpenDML (avi/open_dml.h). It
// reads nothing itself: the sink copies the sources' bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "avi/output_sink.h"
#include "avi/plan.h"
#include "avi/video_reading.h"

namespace kovra::avi {

struct WriteOutcome {
    bool written = false;        // false: the plan cannot be written from these readings, or a
                                 // call to the sink failed; the output is to be discarded
    std::uint64_t size = 0;      // bytes written
    std::uint64_t frames = 0;    // video frames the output holds
    std::uint64_t samples = 0;   // sound sample frames (block align) of its first sound stream
    bool openDml = false;        // written as OpenDML: indx, ix## and LIST odml
    std::uint64_t riffParts = 0; // RIFFs: the first 'AVI ', then OpenDML's 'AVIX' parts
};

// readings[i] is source i of the plan, each read with its chunks. Pieces go to the sink in
// output order: in one RIFF, the header's bytes first, as a piece of source 0 from offset 0,
// with the chunks that follow it there unchanged in the same piece; the corrected header words
// are written over it last. A repair's output is the source's own bytes wherever it can be.
// The writer's memory does not grow with the plan: it walks the readings' chunk lists again
// for each index it writes.
WriteOutcome writePlan(const Plan& plan, const std::vector<const VideoReading*>& readings,
                       OutputSink& sink);

// The repair of one video: planWhole() written. Its size is reading.report.repairedSize.
WriteOutcome writeRepair(const VideoReading& reading, OutputSink& sink);

} // namespace kovra::avi
