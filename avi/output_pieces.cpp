#include "avi/output_pieces.h"

#include <cstring>
#include <memory>

#include "avi/riff.h"

namespace kovra::avi {

namespace {

// An export writes file after file: the buffer outlives each, and is not cleared, so that a
// repair whose bytes the sink copies touches only the pages it uses.
std::uint8_t* reusedBuffer() {
    static thread_local std::unique_ptr<std::uint8_t[]> buffer;
    if (!buffer)
        buffer.reset(new std::uint8_t[OutputPieces::kBufferSize]);
    return buffer.get();
}

} // namespace

OutputPieces::OutputPieces(OutputSink& sink) : sink_(sink), buffer_(reusedBuffer()) {}

bool OutputPieces::bytes(const void* data, std::size_t n) {
    if (!flushPiece())
        return false;
    size_ += n;
    if (used_ + n > kBufferSize && !flushBytes())
        return false;
    if (n >= kBufferSize)
        return sink_.append(data, n);
    std::memcpy(buffer_ + used_, data, n);
    used_ += n;
    return true;
}

bool OutputPieces::le32(std::uint32_t value) {
    std::uint8_t b[sizeof value];
    putLe32(b, value);
    return bytes(b, sizeof b);
}

bool OutputPieces::from(std::size_t source, std::uint64_t offset, std::uint64_t n) {
    if (n == 0)
        return true;
    size_ += n;
    if (piece_ && pieceSource_ == source && pieceOffset_ + pieceLength_ == offset) {
        pieceLength_ += n;
        return true;
    }
    if (!flushPiece() || !flushBytes())
        return false;
    piece_ = true;
    pieceSource_ = source;
    pieceOffset_ = offset;
    pieceLength_ = n;
    return true;
}

bool OutputPieces::flush() {
    return flushPiece() && flushBytes();
}

bool OutputPieces::flushBytes() {
    bool ok = used_ == 0 || sink_.append(buffer_, used_);
    used_ = 0;
    return ok;
}

bool OutputPieces::flushPiece() {
    bool ok = !piece_ || sink_.appendFrom(pieceSource_, pieceOffset_, pieceLength_);
    piece_ = false;
    return ok;
}

} // namespace kovra::avi
