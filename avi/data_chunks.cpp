#include "avi/data_chunks.h"

#include <algorithm>

namespace kovra::avi {

void ChunkList::push_back(const DataChunk& chunk) {
    if (size_ == blocks_.size() * kBlockChunks)
        blocks_.emplace_back(new DataChunk[kBlockChunks]);
    (*this)[size_++] = chunk;
}

void ChunkList::truncate(std::size_t n) {
    if (n >= size_)
        return;
    size_ = n;
    blocks_.resize((n + kBlockChunks - 1) / kBlockChunks);
}

void Tally::add(unsigned stream, std::uint32_t size) {
    StreamTally& s = streams[stream];
    ++s.chunks;
    s.bytes += size;
    s.largest = std::max(s.largest, size);
    ++chunks;
    writtenBytes += kChunkHeaderSize + padded(size);
    largest = std::max(largest, size);
}

void Tally::removeLast(unsigned stream, std::uint32_t size) {
    StreamTally& s = streams[stream];
    --s.chunks;
    s.bytes -= size;
    --chunks;
    writtenBytes -= kChunkHeaderSize + padded(size);
}

void Tally::add(const Tally& other) {
    for (std::size_t i = 0; i < streams.size() && i < other.streams.size(); ++i) {
        streams[i].chunks += other.streams[i].chunks;
        streams[i].bytes += other.streams[i].bytes;
        streams[i].largest = std::max(streams[i].largest, other.streams[i].largest);
    }
    chunks += other.chunks;
    writtenBytes += other.writtenBytes;
    largest = std::max(largest, other.largest);
}

} // namespace kovra::avi
