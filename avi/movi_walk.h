// Walks the chunks of a LIST movi from the data itself, for when there is no index to trust.
#pragma once

#include <cstdint>
#include <optional>
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

// What the walk does at a known chunk that runs past an untrusted limit: search the bytes
// behind its header for a chunk (Resync, so that garbage is told from a cut), or take it for
// the cut at once (Stop: a glance reads no data it does not look at).
enum class AtCut { Resync, Stop };

// Where a walk's limit comes from. MoviEnd: movi's own size, trusted. FileEnd: movi's size
// cannot be trusted (a power cut left it unwritten or wrong), so the walk goes on to the end of
// the file and also ends at an idx1 or RIFF chunk, which start what follows movi.
enum class WalkLimit { MoviEnd, FileEnd };

// Walks the movi lists of one reading, one after the other. Complete data chunks go into tally,
// and into chunks when given. A video chunk of no bytes is a frame the recorder dropped: kept,
// as an index keeps it, so that the frames after it keep their time.
class MoviWalker {
  public:
    MoviWalker(SourceReader& reader, const StreamContext& context, Tally& tally, ChunkList* chunks,
               AtCut atCut)
        : reader_(reader), context_(context), tally_(tally), chunks_(chunks), atCut_(atCut) {}

    // Walks from `from` to `limit`.
    WalkFindings walk(std::uint64_t from, std::uint64_t limit, WalkLimit kind);

    // Once every movi is walked: the last frames taken have nothing after them in a repair
    // either, so each, from the last, keeps its place only with its end marker. Returns how
    // many were taken back out of tally and chunks.
    std::uint64_t dropUnendedLastFrames();

  private:
    bool endsMovi(FourCC id) const;
    bool isKnownId(FourCC id) const;
    bool fits(std::uint64_t pos, std::uint32_t size) const;
    bool dataOrEndAt(std::uint64_t pos);
    bool plausibleAt(std::uint64_t pos, const std::uint8_t* header);
    std::uint64_t resync(std::uint64_t from);
    void take(const DataChunk& chunk, bool vouchedFor);
    void settle(bool followedByChunk);
    bool unpaddedAt(std::uint64_t pos, FourCC id, std::uint32_t size);
    bool step(std::uint64_t& pos);

    SourceReader& reader_;
    const StreamContext& context_;
    Tally& tally_;
    ChunkList* chunks_;
    AtCut atCut_;
    // The frames last taken because a data chunk followed them, their end markers not looked
    // for: carried from one movi to the next.
    std::vector<DataChunk> unverified_;

    // The walk under way.
    std::uint64_t limit_ = 0;
    bool limitTrusted_ = true;
    WalkFindings found_;
    // A JPEG frame whose start marker is there, waiting for what follows it.
    std::optional<DataChunk> pending_;
    // Where the chunk just passed would have its pad byte, when its size is odd, and whether it
    // went into the list (as the last one there, or as the frame pending).
    std::uint64_t afterOddChunk_ = 0;
    bool oddChunkListed_ = false;
};

} // namespace kovra::avi
