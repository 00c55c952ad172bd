// Buffered, bounds-checked access to a ByteSource for the reader's many small reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "avi/byte_source.h"

namespace kovra::avi {

class SourceReader {
  public:
    static constexpr std::size_t kHeaderWindow = 16 * 1024;
    static constexpr std::size_t kScanWindow = 64 * 1024;

    explicit SourceReader(ByteSource& source);

    std::uint64_t size() const { return size_; }
    // n (at most kScanWindow) bytes at offset, valid until the next view(); null when they are
    // not all in the source or cannot be read. A refill reads up to `window` bytes ahead.
    const std::uint8_t* view(std::uint64_t offset, std::size_t n,
                             std::size_t window = kHeaderWindow);
    // Copies n bytes at offset without moving the buffered window.
    bool copy(std::uint64_t offset, void* out, std::size_t n);
    // Whether offset + n lies inside the source, without overflow.
    bool fits(std::uint64_t offset, std::uint64_t n) const {
        return offset <= size_ && n <= size_ - offset;
    }

    // Set once a read inside the source failed; where the first one was.
    bool readFailed() const { return readFailed_; }
    std::uint64_t failedAt() const { return failedAt_; }

  private:
    void noteFailure(std::uint64_t offset);

    ByteSource& source_;
    std::uint64_t size_;
    std::unique_ptr<std::uint8_t[]> buffer_; // not cleared: only bytes read are looked at
    std::uint64_t bufferStart_ = 0;
    std::size_t bufferLength_ = 0;
    bool readFailed_ = false;
    std::uint64_t failedAt_ = 0;
};

} // namespace kovra::avi
