// The chunks a plan puts into its output, in output order, one at a time: the writer walks a
// plan several times (to lay it out, to write its chunks, to index them) rather than keep a
// list of its own, so that its memory is the readings' and no more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "avi/plan.h"
#include "avi/video_reading.h"

namespace kovra::avi {

// One chunk of the output: a source's chunk, whole or a part of its payload.
struct OutputChunk {
    std::size_t source = 0;
    const VideoReading* reading = nullptr;
    const DataChunk* chunk = nullptr;
    std::uint32_t offset = 0, size = 0; // of its payload, what the output holds
    bool partial = false;
    // Its place among its stream's chunks in its source, the first there being 0.
    std::uint64_t number = 0;

    unsigned stream() const { return chunk->stream; }
    bool video() const { return chunk->stream == reading->header.videoStream; }
};

// Whether the plan can be written from these readings: every source it names readable and of
// the first one's streams, every range and partial chunk inside its source's chunks.
bool planFits(const Plan& plan, const std::vector<const VideoReading*>& readings);

// Walks a plan that fits its readings.
class PlanWalk {
  public:
    // Where a walk stands, to walk again from there.
    struct Position {
        int phase = 0; // the head, the ranges, the tail, past the end
        std::size_t range = 0, chunk = 0;
        std::vector<std::uint64_t> numbers; // per stream: the next chunk's number in the range
    };

    PlanWalk(const Plan& plan, const std::vector<const VideoReading*>& readings);

    // The next chunk, or false past the last.
    bool next(OutputChunk& out);
    const Position& position() const { return at_; }
    // Where the walk stood before the chunk next() gave last.
    Position beforeLast() const;
    void seek(const Position& position) { at_ = position; }

  private:
    bool enterRange();
    bool nextInRange(OutputChunk& out);
    bool partial(const PartialChunk& part, OutputChunk& out) const;

    const Plan& plan_;
    const std::vector<const VideoReading*>& readings_;
    Position at_;
    int lastPhase_ = 0;
    unsigned lastStream_ = 0;
};

} // namespace kovra::avi
