// Where a repaired video goes: a file, or memory for the tests and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kovra::avi {

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool write(const void* data, std::size_t n) = 0;
};

class MemorySink final : public ByteSink {
  public:
    bool write(const void* data, std::size_t n) override;

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace kovra::avi
