// The part of an AVI file before its data: the RIFF header, hdrl with avih and one strl a
// stream, and where LIST movi starts.
#pragma once

#include <cstdint>
#include <vector>

#include "avi/finding.h"
#include "avi/riff.h"
#include "avi/source_reader.h"
#include "avi/video_report.h"

namespace kovra::avi {

struct StreamHeader {
    FourCC type = 0;
    FourCC handler = 0;
    std::uint32_t scale = 0, rate = 0, length = 0, sampleSize = 0;
    std::uint64_t strhPayload = 0; // where a repair rewrites length and buffer size
    bool hasFormat = false;        // a strf chunk is there, of formatSize bytes
    std::uint32_t formatSize = 0;
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
    std::uint32_t microsecondsPerFrame = 0, flags = 0, totalFrames = 0, streamsDeclared = 0;
    std::uint32_t width = 0, height = 0;
    std::vector<StreamHeader> streams;
    unsigned videoStream = 0; // the first "vids" stream
    // Chunk ids a rewrite turns into JUNK: OpenDML's indx and LIST odml, whose offsets and
    // counts no longer hold once the data moves.
    std::vector<std::uint64_t> openDmlHeaders;
    std::uint64_t moviList = 0; // the "LIST" of LIST movi
    std::uint32_t moviSize = 0;
};

// Fills header; false with failure set (NotAvi, NoHeader, NoVideoStream, NoMovi) when the file
// cannot be read as a video.
bool readHeader(SourceReader& reader, AviHeader& header, FindingKind& failure);

} // namespace kovra::avi
