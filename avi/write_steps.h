// What the two writers (one RIFF, and OpenDML's parts) share: a source's chunk written as the
// output holds it, its key-frame flag, and the header words written over last.
#pragma once

#include <cstdint>
#include <vector>

#include "avi/avi_header.h"
#include "avi/output_pieces.h"
#include "avi/output_sink.h"
#include "avi/plan_walk.h"

namespace kovra::avi {

// A 32-bit word of the header, written over once everything after it is.
struct Patch {
    std::uint64_t offset;
    std::uint32_t value;
};
bool overwrite(OutputSink& sink, const std::vector<Patch>& patches);
// The video's strh scale and rate, at strhPayload of the output, where the source's claim no
// rate a recorder makes and avih's is taken instead: a player then times the frames as the
// reading did.
void addVideoClock(std::vector<Patch>& patches, const AviHeader& header, std::uint64_t strhPayload);

// The key frames of the output: its sources' (isKeyFrame), and its first frame whatever its
// source says, as a player must be able to start there.
class KeyFrames {
  public:
    // atOutputStart: the chunks to come are the output's first.
    explicit KeyFrames(bool atOutputStart) : firstVideo_(atOutputStart) {}
    bool next(const OutputChunk& chunk);

  private:
    bool firstVideo_;
};

// Header, payload (or the planned part of it) and pad byte.
bool writeChunk(OutputPieces& out, const OutputChunk& chunk);

// Walks count chunks from where the walk stands, each with the offset of its chunk header from
// the movi fourcc of the list that holds them (the first is at 4) and its key-frame flag.
template <typename Visit>
bool forEachIndexed(PlanWalk& walk, std::uint64_t count, KeyFrames& keys, Visit visit) {
    std::uint64_t offset = kFourccSize;
    OutputChunk chunk;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (!walk.next(chunk) || !visit(chunk, offset, keys.next(chunk)))
            return false;
        offset += kChunkHeaderSize + padded(chunk.size);
    }
    return true;
}

} // namespace kovra::avi
