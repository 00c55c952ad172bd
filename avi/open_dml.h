// OpenDML, for outputs past what one RIFF of the plan may hold: the first RIFF 'AVI ' with the
// rebuilt header and the only idx1, then RIFF 'AVIX' parts of one movi each; every movi ends in
// a standard index (ix##) per stream, which each stream's super index (indx) lists, and LIST
// odml says the total frames. Laid out as ffmpeg's AVI muxer lays it out, so that ffmpeg reads
// every frame through the super index, and a reader that knows only idx1 plays the first RIFF.
#pragma once

#include <cstdint>
#include <vector>

#include "avi/output_layout.h"
#include "avi/output_pieces.h"
#include "avi/write_steps.h"

namespace kovra::avi {

// indx: longs per entry, sub-type, type, entries in use, chunk id, 3 reserved words; then per
// entry the ix## chunk's 64-bit offset, its size and the stream's duration in it.
constexpr std::size_t kSuperIndexHeaderSize = 24;
constexpr std::size_t kSuperIndexEntrySize = 16;
constexpr std::uint16_t kSuperIndexLongs = 4;
constexpr std::uint8_t kIndexOfIndexes = 0;
// ix##: longs per entry, sub-type, type, entries in use, chunk id, 64-bit base, a reserved word;
// then per chunk the offset of its payload from the base, and its size with the top bit set
// when it is no key frame.
constexpr std::size_t kStandardIndexHeaderSize = 24;
constexpr std::size_t kStandardIndexEntrySize = 8;
constexpr std::uint16_t kStandardIndexLongs = 2;
constexpr std::uint8_t kIndexOfChunks = 1;
constexpr std::uint32_t kNotKeyFrame = 0x80000000u;
// dmlh: the total frames, then room ffmpeg leaves zeroed.
constexpr std::size_t kDmlhSize = 248;

// The rebuilt header's bytes after 'AVI ' up to LIST movi, with indx room for so many parts.
std::uint64_t rebuiltHeaderSize(const AviHeader& header, std::uint64_t parts);

// The RIFF 'AVI ' header and the rebuilt header, with the words of source 0's chunks that must
// change noted as patches, and where source 0's IDIT chunk lands (0: it does not).
bool writeRebuiltHeader(OutputPieces& out, const AviHeader& header, const OutputLayout& layout,
                        std::vector<Patch>& patches, std::uint64_t& iditAt);

// A layout's parts, after writeRebuiltHeader.
bool writeParts(OutputPieces& out, PlanWalk& walk, const AviHeader& header,
                const OutputLayout& layout);

} // namespace kovra::avi
