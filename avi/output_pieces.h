// The writer's output as the sink sees it: small appends gathered into a buffer, and
// neighbouring bytes of one source gathered into one appendFrom, so that the sink gets few
// calls however many chunks a plan holds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "avi/output_sink.h"

namespace kovra::avi {

class OutputPieces {
  public:
    // Large enough that the calls cost nothing next to a recording; small enough that the new
    // index, which passes through it whole, leaves a short recording's memory as it was.
    static constexpr std::size_t kBufferSize = 64 << 10;

    explicit OutputPieces(OutputSink& sink);
    OutputPieces(const OutputPieces&) = delete;
    OutputPieces& operator=(const OutputPieces&) = delete;

    // Each false once a call to the sink failed; the output is then to be discarded.
    bool bytes(const void* data, std::size_t n);
    bool le32(std::uint32_t value);
    bool from(std::size_t source, std::uint64_t offset, std::uint64_t n);
    // Hands the sink what is still gathered.
    bool flush();
    // Bytes given so far, gathered ones included.
    std::uint64_t size() const { return size_; }

  private:
    bool flushBytes();
    bool flushPiece();

    OutputSink& sink_;
    std::uint8_t* buffer_;
    std::size_t used_ = 0;
    bool piece_ = false; // a piece of a source is gathered (and then nothing in the buffer)
    std::size_t pieceSource_ = 0;
    std::uint64_t pieceOffset_ = 0, pieceLength_ = 0;
    std::uint64_t size_ = 0;
};

} // namespace kovra::avi
