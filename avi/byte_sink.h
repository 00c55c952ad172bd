// Where a repaired video goes: a file, or memory for the tests and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "avi/byte_source.h"

namespace kovra::avi {

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool write(const void* data, std::size_t n) = 0;
    // Overwrites n bytes already written, at offset; later writes still append.
    virtual bool writeAt(std::uint64_t offset, const void* data, std::size_t n) = 0;
    // Cuts what is written back to its first n bytes (no more than are written); later
    // writes append there.
    virtual bool truncate(std::uint64_t n) = 0;
    // A sink that can append bytes of this source without them passing through the reader
    // (two files: the system copies between them) says so, and copyRange() does it.
    virtual bool copiesFrom(const ByteSource&) const { return false; }
    virtual bool copyRange(ByteSource&, std::uint64_t /*offset*/, std::uint64_t /*n*/) {
        return false;
    }
};

class MemorySink final : public ByteSink {
  public:
    bool write(const void* data, std::size_t n) override;
    bool writeAt(std::uint64_t offset, const void* data, std::size_t n) override;
    bool truncate(std::uint64_t n) override;

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace kovra::avi
