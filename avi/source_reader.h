// Bounds-checked access to a ByteSource for the reader's many small looks. Where every read
// is a call to the system, a look outside the bytes at hand reads from there as far as the
// looks have lately reached: a look that skips over a chunk's data reads a page, the chunk's
// header and the first bytes of its data, and the next chunks' headers where they are small;
// looks that keep landing just past what was read (small chunks, a resync's scan, a header's
// lists) read twice as far each time, up to a large window. A walk then costs about one call
// a chunk that is larger than a page, and copies about a page a call, not every byte the walk
// hops over. A caller that knows where its next looks fall (the index check) says how far a
// read should go instead, and the read copies those looks and the short gaps between them, not
// a page. Where reads cost no more than their bytes (memory), a look reads just what it looks
// at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "avi/byte_source.h"

namespace kovra::avi {

class SourceReader {
  public:
    // The most one read from the system brings, where looks land one after the other: large
    // enough that the calls cost nothing next to the bytes, small enough to stay the reader's
    // only buffer of the file.
    static constexpr std::size_t kWindow = 1 << 20;
    // The least it brings: a page, which a call costs about as much as copying, and which holds
    // a chunk's header, its frame's first bytes and a sound chunk or two behind them.
    static constexpr std::size_t kLeastWindow = 4096;
    // The most one view() gives: a resync's scan, a frame's last bytes.
    static constexpr std::size_t kMostViewed = 64 * 1024;
    // Where a read costs only the bytes it copies, a look brings this much along: the next look
    // (a frame's first bytes, after its chunk header) mostly falls in it.
    static constexpr std::size_t kCheapLookAhead = 64;

    // smallReads: every look reads just what it looks at, whatever a read costs; a glance at a
    // video hops over its data and must not read the windows it skips.
    explicit SourceReader(ByteSource& source, bool smallReads = false);
    ~SourceReader();
    SourceReader(const SourceReader&) = delete;
    SourceReader& operator=(const SourceReader&) = delete;

    std::uint64_t size() const { return size_; }
    // n (at most kMostViewed) bytes at offset, valid until the next view(); null when they are
    // not all in the source or cannot be read.
    const std::uint8_t* view(std::uint64_t offset, std::size_t n);
    // The same, for a caller that knows where its next looks fall (an index lists every chunk):
    // a read from the system goes from offset up to through, and no further, where the guess
    // from the looks so far would copy a page that the looks after it skip. Only a cost: at
    // least n and at most a window are read, whatever through says.
    const std::uint8_t* view(std::uint64_t offset, std::size_t n, std::uint64_t through);
    // Whether a view() of these bytes needs no read.
    bool holds(std::uint64_t offset, std::size_t n) const {
        return offset >= bufferStart_ && offset - bufferStart_ <= bufferLength_ &&
               n <= bufferLength_ - (offset - bufferStart_);
    }
    // Each request as copy() would make it, in as few reads from the system as the source
    // allows, leaving what view() gave in place: for a caller that knows where many small
    // looks fall (an index lists every chunk), whose windows would cost a call each.
    void readEach(ReadRequest* requests, std::size_t count);
    // Copies n bytes at offset, leaving what view() gave in place.
    bool copy(std::uint64_t offset, void* out, std::size_t n);
    // Whether offset + n lies inside the source, without overflow.
    bool fits(std::uint64_t offset, std::uint64_t n) const {
        return offset <= size_ && n <= size_ - offset;
    }

    // Set once a read inside the source failed; where the first one was.
    bool readFailed() const { return readFailed_; }
    std::uint64_t failedAt() const { return failedAt_; }

  private:
    // Reads wanted bytes (n at least) at offset into the window, where holds() said no.
    const std::uint8_t* fill(std::uint64_t offset, std::size_t n, std::size_t wanted);
    // How far a read from the system at offset goes, where reads are calls.
    std::size_t nextReach(std::uint64_t offset);
    void noteFailure(std::uint64_t offset);

    ByteSource& source_;
    std::uint64_t size_;
    std::size_t capacity_;
    std::size_t lookAhead_; // the least one read brings, where reads are small
    std::size_t reach_;     // how far the next read from the system goes, where reads are calls
    std::unique_ptr<std::uint8_t[]> buffer_; // not cleared: only bytes read are looked at
    std::uint64_t bufferStart_ = 0;
    std::size_t bufferLength_ = 0;
    bool readFailed_ = false;
    std::uint64_t failedAt_ = 0;
};

} // namespace kovra::avi
