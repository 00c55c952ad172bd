// Where a written plan goes. The writer says what the output holds, piece by piece, in order;
// the sink puts it there: device/ into a file, copying sources' bytes by the system where it
// can, tests and the fuzzer into memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "avi/byte_source.h"

namespace kovra::avi {

class OutputSink {
  public:
    virtual ~OutputSink() = default;
    // Appends n bytes.
    virtual bool append(const void* data, std::size_t n) = 0;
    // Appends n bytes of a source (numbered as in the plan) from offset.
    virtual bool appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) = 0;
    // Writes n bytes over bytes already appended, at offset.
    virtual bool overwrite(std::uint64_t offset, const void* data, std::size_t n) = 0;
};

// An output in memory; sources are read through their ByteSource.
class MemoryOutput final : public OutputSink {
  public:
    explicit MemoryOutput(std::vector<ByteSource*> sources) : sources_(std::move(sources)) {}

    bool append(const void* data, std::size_t n) override;
    bool appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) override;
    bool overwrite(std::uint64_t offset, const void* data, std::size_t n) override;

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

  private:
    std::vector<ByteSource*> sources_;
    std::vector<std::uint8_t> bytes_;
};

// One call the writer made to its sink: n bytes of a source from offset, or bytes of its own.
struct OutputPiece {
    bool fromSource = false;
    std::size_t source = 0;
    std::uint64_t offset = 0, size = 0;
    std::vector<std::uint8_t> bytes; // when not fromSource
};

// What a plan's writing appends, piece by piece, with nothing read or written: an output that
// can be begun before its plan is final (a clip's first recording, while the next is read) is
// begun from these. The words written over the header at the end are left out.
class OutputPieceList final : public OutputSink {
  public:
    bool append(const void* data, std::size_t n) override;
    bool appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) override;
    bool overwrite(std::uint64_t, const void*, std::size_t) override { return true; }

    // The pieces up to the last one of a source: the sources' bytes and what lies between
    // them, without the index that follows them.
    std::vector<OutputPiece> throughSourceBytes() const;

  private:
    std::vector<OutputPiece> pieces_;
};

} // namespace kovra::avi
