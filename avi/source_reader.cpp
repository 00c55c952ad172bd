#include "avi/source_reader.h"

#include <algorithm>
#include <cstring>

namespace kovra::avi {

namespace {

// A listing or an export reads file after file: the window outlives each reader, so that a
// fresh one does not cost its pages' faults again. A reader made while another holds it (the
// index's flags read during a reading) gets one of its own.
std::unique_ptr<std::uint8_t[]>& spareWindow() {
    static thread_local std::unique_ptr<std::uint8_t[]> spare;
    return spare;
}

} // namespace

SourceReader::SourceReader(ByteSource& source, bool smallReads)
    : source_(source), size_(source.size()),
      capacity_(smallReads || source.smallReadsAreCheap() ? kMostViewed : kWindow),
      lookAhead_(smallReads ? 0 : kCheapLookAhead), reach_(kLeastWindow) {
    if (capacity_ == kWindow && spareWindow())
        buffer_ = std::move(spareWindow());
    else
        buffer_.reset(new std::uint8_t[capacity_]);
}

SourceReader::~SourceReader() {
    if (capacity_ == kWindow && !spareWindow())
        spareWindow() = std::move(buffer_);
}

const std::uint8_t* SourceReader::view(std::uint64_t offset, std::size_t n) {
    if (n > kMostViewed || !fits(offset, n))
        return nullptr;
    if (holds(offset, n))
        return buffer_.get() + (offset - bufferStart_);
    return fill(offset, n, capacity_ == kWindow ? nextReach(offset) : lookAhead_);
}

const std::uint8_t* SourceReader::view(std::uint64_t offset, std::size_t n, std::uint64_t through) {
    if (n > kMostViewed || !fits(offset, n))
        return nullptr;
    if (holds(offset, n))
        return buffer_.get() + (offset - bufferStart_);
    if (capacity_ != kWindow)
        return fill(offset, n, lookAhead_);
    std::uint64_t planned = through > offset ? through - offset : 0;
    return fill(offset, n, static_cast<std::size_t>(std::min<std::uint64_t>(planned, kWindow)));
}

const std::uint8_t* SourceReader::fill(std::uint64_t offset, std::size_t n, std::size_t wanted) {
    wanted = std::max(n, wanted);
    std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, size_ - offset));
    bufferLength_ = 0;
    // A bad sector ahead must not hide the bytes asked for: retry with just those.
    if (!source_.readAt(offset, buffer_.get(), length) &&
        (length == n || !source_.readAt(offset, buffer_.get(), length = n))) {
        noteFailure(offset);
        return nullptr;
    }
    bufferStart_ = offset;
    bufferLength_ = length;
    return buffer_.get();
}

bool SourceReader::copy(std::uint64_t offset, void* out, std::size_t n) {
    if (!fits(offset, n))
        return false;
    if (holds(offset, n)) {
        std::memcpy(out, buffer_.get() + (offset - bufferStart_), n);
        return true;
    }
    if (source_.readAt(offset, out, n))
        return true;
    noteFailure(offset);
    return false;
}

void SourceReader::readEach(ReadRequest* requests, std::size_t count) {
    source_.readEach(requests, count);
    for (std::size_t i = 0; i < count; ++i)
        if (!requests[i].read && fits(requests[i].offset, requests[i].n)) {
            noteFailure(requests[i].offset);
            break;
        }
}

std::size_t SourceReader::nextReach(std::uint64_t offset) {
    // A look that lands within reach of the last read's end would have cost no call had that
    // read gone on: read further. One that skips more starts small again.
    std::uint64_t end = bufferStart_ + bufferLength_;
    bool following = bufferLength_ != 0 && offset >= end && offset - end < reach_;
    reach_ = following ? std::min(2 * reach_, kWindow) : kLeastWindow;
    return reach_;
}

void SourceReader::noteFailure(std::uint64_t offset) {
    if (!readFailed_) {
        readFailed_ = true;
        failedAt_ = offset;
    }
}

} // namespace kovra::avi
