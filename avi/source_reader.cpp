#include "avi/source_reader.h"

#include <algorithm>
#include <cstring>

namespace kovra::avi {

SourceReader::SourceReader(ByteSource& source)
    : source_(source), size_(source.size()), buffer_(new std::uint8_t[kScanWindow]) {}

const std::uint8_t* SourceReader::view(std::uint64_t offset, std::size_t n, std::size_t window) {
    if (n > kScanWindow || !fits(offset, n))
        return nullptr;
    if (offset >= bufferStart_ && offset - bufferStart_ <= bufferLength_ &&
        n <= bufferLength_ - (offset - bufferStart_))
        return buffer_.get() + (offset - bufferStart_);
    std::size_t want = std::max(n, std::min(window, kScanWindow));
    std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(want, size_ - offset));
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
    if (offset >= bufferStart_ && offset - bufferStart_ <= bufferLength_ &&
        n <= bufferLength_ - (offset - bufferStart_)) {
        std::memcpy(out, buffer_.get() + (offset - bufferStart_), n);
        return true;
    }
    if (source_.readAt(offset, out, n))
        return true;
    noteFailure(offset);
    return false;
}

void SourceReader::noteFailure(std::uint64_t offset) {
    if (!readFailed_) {
        readFailed_ = true;
        failedAt_ = offset;
    }
}

} // namespace kovra::avi
