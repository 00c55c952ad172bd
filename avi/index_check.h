// Checks an idx1 against the chunk headers it names, without walking movi.
#pragma once

#include <cstdint>
#include <vector>

#include "avi/data_chunks.h"
#include "avi/source_reader.h"

namespace kovra::avi {

struct IndexLocation {
    bool present = false;
    bool cutOff = false;       // its size runs past the end of the file
    std::uint64_t offset = 0;  // of the idx1 chunk
    std::uint64_t entries = 0; // whole entries present
};

// The idx1 chunk at pos, if that is one.
IndexLocation locateIndex(SourceReader& reader, std::uint64_t pos);

// What a consistent index lists.
struct IndexedChunks {
    explicit IndexedChunks(std::size_t streamCount) : tally(streamCount) {}
    Tally tally;
    std::uint64_t unpadded = 0; // odd-sized chunks the next one follows without a pad byte
};

// How far an index is checked against the data it lists.
enum class IndexCheck {
    Chunks, // each chunk header read, each frame judged whole
    Bounds, // the entries alone, against movi: a glance reads none of the data
};

// Consistent: every entry a data chunk of a known stream, in order, inside movi, its chunk
// header there as the entry says; every video frame whole as the walk judges one (its start
// marker, then a data chunk right after it or its end marker); the last chunk ending where
// movi ends. With IndexCheck::Bounds only the first entries' headers are read, to find what
// the offsets count from. When consistent, the entries go into listed, and into chunks when
// given.
bool checkIndex(SourceReader& reader, const StreamContext& context, const IndexLocation& index,
                std::uint64_t moviFourcc, std::uint64_t moviEnd, IndexedChunks& listed,
                ChunkList* chunks, IndexCheck depth = IndexCheck::Chunks);

// Copies the key-frame flags of an index that cannot be used as a whole (cut off, or
// disagreeing with the data) onto the chunks, in file order, that it lists by offset and id.
void takeIndexFlags(SourceReader& reader, const IndexLocation& index, std::uint64_t moviFourcc,
                    ChunkList& chunks);

} // namespace kovra::avi
