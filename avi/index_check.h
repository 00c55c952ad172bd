// Checks an idx1 against the data cheaply: without walking movi.
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

// Consistent: every entry a data chunk of a known stream, in order, inside movi; the chunk
// headers at a few entries (the first, the last, some between) as the index says; the last
// chunk ending where movi ends. When consistent, the entries are added to tally and chunks.
bool checkIndex(SourceReader& reader, const StreamContext& context, const IndexLocation& index,
                std::uint64_t moviFourcc, std::uint64_t moviEnd, Tally* tally, ChunkList* chunks);

// Copies the key-frame flags of an index that cannot be used as a whole (cut off, or
// disagreeing with the data) onto the chunks, in file order, that it lists by offset and id.
void takeIndexFlags(SourceReader& reader, const IndexLocation& index, std::uint64_t moviFourcc,
                    ChunkList& chunks);

} // namespace kovra::avi
