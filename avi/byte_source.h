// Where the AVI reader fetches its bytes: a file, a buffer, a fuzzer's input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kovra::avi {

// One read of ByteSource::readEach(): n bytes at offset into buffer; read, whether they were.
struct ReadRequest {
    std::uint64_t offset = 0;
    void* buffer = nullptr;
    std::size_t n = 0;
    bool read = false;
};

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Exactly n bytes at offset into buffer; false when they are not all there or cannot be read.
    virtual bool readAt(std::uint64_t offset, void* buffer, std::size_t n) = 0;
    // Each request as readAt() would read it. A source whose reads are calls to the system
    // makes them in as few calls as the system allows: an index lists where the many small
    // reads of a check fall, and each read a call of its own costs more than its bytes.
    virtual void readEach(ReadRequest* requests, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            requests[i].read = readAt(requests[i].offset, requests[i].buffer, requests[i].n);
    }
    // True where a read costs no more than the bytes it copies (memory, a mapped file): the
    // reader then reads just what it looks at. Otherwise every read is a call to the system,
    // and the reader reads large windows, so that a walk over many chunks takes few reads.
    virtual bool smallReadsAreCheap() const { return false; }
};

// Reads bytes the caller keeps alive for as long as the source is used.
class MemorySource final : public ByteSource {
  public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit MemorySource(const std::vector<std::uint8_t>& bytes)
        : data_(bytes.data()), size_(bytes.size()) {}

    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override;
    bool smallReadsAreCheap() const override { return true; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

} // namespace kovra::avi
