// The data chunks the reader accepts, and their totals per stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

// The chunks of a file, in blocks of a fixed size: a list that doubled its storage as it grew
// would, while moving, hold its old and new copies at once, half again the index's size.
class ChunkList {
  public:
    static constexpr std::size_t kBlockChunks = 4096; // 64 KiB a block

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    DataChunk& operator[](std::size_t i) { return blocks_[i / kBlockChunks][i % kBlockChunks]; }
    const DataChunk& operator[](std::size_t i) const {
        return blocks_[i / kBlockChunks][i % kBlockChunks];
    }
    void push_back(const DataChunk& chunk);
    // Keeps the first n chunks (n no more than size()).
    void truncate(std::size_t n);
    void clear() { truncate(0); }

    // Walks the chunks in order.
    class Iterator {
      public:
        Iterator(const ChunkList& list, std::size_t i) : list_(&list), i_(i) {}
        const DataChunk& operator*() const { return (*list_)[i_]; }
        Iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return i_ != other.i_; }

      private:
        const ChunkList* list_;
        std::size_t i_;
    };
    Iterator begin() const { return Iterator(*this, 0); }
    Iterator end() const { return Iterator(*this, size_); }

  private:
    std::vector<std::unique_ptr<DataChunk[]>> blocks_;
    std::size_t size_ = 0;
};

struct StreamTally {
    std::uint64_t chunks = 0, bytes = 0;
    std::uint32_t largest = 0;
};

struct Tally {
    explicit Tally(std::size_t streamCount = 0) : streams(streamCount) {}
    void add(unsigned stream, std::uint32_t size);
    // Takes back the last chunk added; the largest sizes stay as they were, an upper bound.
    void removeLast(unsigned stream, std::uint32_t size);
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
