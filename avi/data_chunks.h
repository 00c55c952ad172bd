// The data chunks the reader accepts, and their totals per stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "avi/riff.h"

namespace kovra::avi {

// One chunk a repair copies, in 12 bytes: the list is the one part of a repair's memory that
// grows with the file, and an index entry in the file takes 16.
class DataChunk {
  public:
    DataChunk() = default;
    DataChunk(std::uint64_t offset, std::uint32_t chunkSize, unsigned chunkStream,
              DataKind chunkKind)
        : offsetLow_(static_cast<std::uint32_t>(offset)), size(chunkSize),
          stream(static_cast<std::uint8_t>(chunkStream)), kind(chunkKind),
          offsetHigh_(static_cast<std::uint8_t>(offset >> 32)) {}

    // Of the chunk's header in the source; 40 bits reach past any 4 GiB file.
    std::uint64_t offset() const { return offsetLow_ | std::uint64_t{offsetHigh_} << 32; }
    // The old index's key-frame flag, where it listed the chunk.
    bool flagsKnown() const { return (bits_ & kKnown) != 0; }
    std::uint32_t flags() const { return bits_ & kIndexKeyFrame; }
    void setFlags(std::uint32_t indexFlags) {
        bits_ = static_cast<std::uint8_t>((bits_ & kPadMissing) | kKnown |
                                          (indexFlags & kIndexKeyFrame));
    }
    // An odd-sized chunk the writer left without its pad byte: the next one begins right
    // after its payload.
    bool padMissing() const { return (bits_ & kPadMissing) != 0; }
    void setPadMissing() { bits_ = static_cast<std::uint8_t>(bits_ | kPadMissing); }

  private:
    std::uint32_t offsetLow_ = 0; // first, so that the members pack into 12 bytes

  public:
    std::uint32_t size = 0;
    std::uint8_t stream = 0;
    DataKind kind = DataKind::Compressed;

  private:
    // Bits kIndexKeyFrame leaves free.
    static constexpr std::uint8_t kKnown = 0x01;
    static constexpr std::uint8_t kPadMissing = 0x02;

    std::uint8_t offsetHigh_ = 0;
    std::uint8_t bits_ = 0;
};
static_assert(sizeof(DataChunk) == 12, "the chunk list's cost per chunk");
static_assert((kIndexKeyFrame & 0x03) == 0 && kIndexKeyFrame <= 0xFF, "the flags share a byte");

// The chunks of a file, in blocks of a fixed size: a list that doubled its storage as it grew
// would, while moving, hold its old and new copies at once, half again the index's size.
class ChunkList {
  public:
    static constexpr std::size_t kBlockChunks = 4096; // 48 KiB a block

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
