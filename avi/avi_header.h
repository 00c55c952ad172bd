// The part of an AVI file before its data: the RIFF header, hdrl with avih and one strl a
// stream, and where LIST movi starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "avi/finding.h"
#include "avi/recording_date.h"
#include "avi/riff.h"
#include "avi/source_reader.h"
#include "avi/video_report.h"

namespace kovra::avi {

// A chunk of the header that a rebuilt header copies as it is: where its chunk header lies in
// the source, and its payload's size (a pad byte follows an odd one).
struct HeaderChunk {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
};
// The most chunks of one list kept for copying: enough for any writer's few (vprp, strn,
// IDIT, LIST INFO), and a hostile header of many tiny chunks costs no more.
constexpr std::size_t kMostCopiedChunks = 16;
// And the largest kept: ffmpeg stops reading a header at a chunk it does not know of more than
// a million bytes, and takes what follows for the data.
constexpr std::uint32_t kMostCopiedChunkSize = 1 << 16;

struct StreamHeader {
    FourCC type = 0;
    FourCC handler = 0;
    std::uint32_t scale = 0, rate = 0, length = 0, sampleSize = 0;
    std::uint64_t strhPayload = 0; // where a repair rewrites length and buffer size
    std::uint32_t strhSize = 0;
    bool hasFormat = false; // a strf chunk is there, of formatSize bytes
    std::uint64_t formatPayload = 0;
    std::uint32_t formatSize = 0;
    // The strl's other chunks (vprp, strn, strd...), but no indx or JUNK.
    std::vector<HeaderChunk> otherChunks;
    bool hasBitmapInfo = false;
    FourCC compression = 0;
    std::uint32_t width = 0, height = 0;
    bool hasWaveFormat = false;
    AudioInfo audio{};
    std::uint16_t blockAlign = 0;
};

struct AviHeader {
    Signature signature = Signature::Other;
    std::uint32_t riffSize = 0;
    std::uint64_t avihPayload = 0;
    std::uint32_t avihSize = 0;
    std::uint32_t microsecondsPerFrame = 0, flags = 0, totalFrames = 0, streamsDeclared = 0;
    std::uint32_t width = 0, height = 0;
    std::vector<StreamHeader> streams;
    unsigned videoStream = 0; // the first "vids" stream
    // Chunk ids a rewrite turns into JUNK: OpenDML's indx and LIST odml, whose offsets and
    // counts no longer hold once the data moves.
    std::vector<std::uint64_t> openDmlHeaders;
    // What a rebuilt header keeps besides avih and the streams: hdrl's other chunks (IDIT) and
    // the top level's between hdrl and movi (LIST INFO), but no JUNK or OpenDML.
    std::vector<HeaderChunk> otherHdrlChunks, otherTopChunks;
    // The first IDIT chunk's, in hdrl or at the top level before movi, and where that chunk
    // lies (size 0: none).
    std::optional<RecordingDate> recorded;
    HeaderChunk idit;
    std::uint64_t moviList = 0; // the "LIST" of LIST movi
    std::uint32_t moviSize = 0;
};

// Fills header; false with failure set (NotAvi, NoHeader, NoVideoStream, NoMovi) when the file
// cannot be read as a video.
bool readHeader(SourceReader& reader, AviHeader& header, FindingKind& failure);

} // namespace kovra::avi
