// Walks the chunks of a LIST movi from the data itself, for when there is no index to trust.
#pragma once

#include <cstdint>
#include <vector>

#include "avi/data_chunks.h"
#include "avi/source_reader.h"

namespace kovra::avi {

struct WalkFindings {
    std::uint64_t end = 0;           // where movi's data ends
    std::uint64_t garbageBytes = 0;  // skipped over to find the next chunk
    std::uint64_t damagedFrames = 0; // whole chunks whose frame is not
    std::uint64_t unpadded = 0;      // odd-sized chunks the next one follows without a pad byte
    bool cutOff = false;             // the file ends inside a chunk
};

// The frames last taken because a data chunk followed them, their end markers not looked for.
// Walks carry it from one movi to the next.
using Unverified = std::vector<DataChunk>;

// Walks from `from` to `limit`. A trusted limit is movi's own end. An untrusted one is the end
// of the file; the walk then also ends at an idx1 or RIFF chunk, which start what follows
// movi. Complete data chunks go into tally, and into chunks when given. A video chunk of no
// bytes is a frame the recorder dropped: kept, as an index keeps it, so that the frames after
// it keep their time.
// What the walk does at a known chunk that runs past an untrusted limit: search the bytes
// behind its header for a chunk (Resync, so that garbage is told from a cut), or take it for
// the cut at once (Stop: a glance reads no data it does not look at).
enum class AtCut { Resync, Stop };

WalkFindings walkMovi(SourceReader& reader, const StreamContext& context, std::uint64_t from,
                      std::uint64_t limit, bool limitTrusted, Tally& tally, ChunkList* chunks,
                      Unverified& unverified, AtCut atCut = AtCut::Resync);

// Once every movi is walked: the last frames taken have nothing after them in a repair either,
// so each, from the last, keeps its place only with its end marker. Returns how many were
// taken back out of tally and chunks.
std::uint64_t dropUnendedLastFrames(SourceReader& reader, Unverified& unverified, Tally& tally,
                                    ChunkList* chunks);

} // namespace kovra::avi
