// The data chunks the reader accepts, and their totals per stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "avi/riff.h"

namespace kovra::avi {

// One chunk a repair copies; 16 bytes, so that the list stays small next to the file.
struct DataChunk {
    std::uint64_t offset; // of the chunk's header in the source
    std::uint32_t size;
    std::uint8_t stream;
    DataKind kind;
    std::uint8_t flags; // the old index's flags, when flagsKnown
    std::uint8_t flagsKnown;
};
static_assert(sizeof(DataChunk) == 16, "the chunk list's cost per chunk");

struct StreamTally {
    std::uint64_t chunks = 0, bytes = 0;
    std::uint32_t largest = 0;
};

struct Tally {
    explicit Tally(std::size_t streamCount = 0) : streams(streamCount) {}
    void add(unsigned stream, std::uint32_t size);
    void add(const Tally& other);

    std::vector<StreamTally> streams;
    std::uint64_t chunks = 0;
    std::uint64_t writtenBytes = 0; // headers, payloads and pad bytes as a repair writes them
    std::uint32_t largest = 0;
};

// What the walk and the index check need to know of the streams.
struct StreamContext {
    std::size_t streamCount = 0;
    unsigned videoStream = 0;
    bool jpegFrames = false; // the video's frames are JPEG pictures, checked for completeness
};

} // namespace kovra::avi
