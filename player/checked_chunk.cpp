#include "player/checked_chunk.h"

#include <algorithm>
#include <cstring>

#include "avi/riff.h"

namespace kovra::player {

ChunkRead readCheckedChunk(VideoFileSource& source, const avi::DataChunk& chunk,
                           std::uint32_t offset, std::uint32_t size,
                           std::vector<std::uint8_t>& bytes) {
    if (offset > chunk.size || size > chunk.size - offset)
        return ChunkRead::Moved;
    std::size_t start = bytes.size();
    // The header and the payload up to the part's end, in one read; the header and any payload
    // before the part are then moved out.
    std::size_t reach = avi::kChunkHeaderSize + std::size_t{offset} + size;
    bytes.resize(start + reach);
    std::uint8_t* at = bytes.data() + start;
    if (!source.readAt(chunk.offset(), at, reach)) {
        bytes.resize(start);
        return ChunkRead::Unreadable;
    }
    if (avi::le32(at) != avi::makeDataId(chunk.stream, chunk.kind) ||
        avi::le32(at + avi::kFourccSize) != chunk.size) {
        bytes.resize(start);
        return ChunkRead::Moved;
    }
    std::memmove(at, at + avi::kChunkHeaderSize + offset, size);
    bytes.resize(start + size);
    return ChunkRead::Read;
}

} // namespace kovra::player
