#include "avi/byte_sink.h"

#include <algorithm>

namespace kovra::avi {

bool MemorySink::write(const void* data, std::size_t n) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + n);
    return true;
}

bool MemorySink::writeAt(std::uint64_t offset, const void* data, std::size_t n) {
    if (offset > bytes_.size() || n > bytes_.size() - offset)
        return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::copy(bytes, bytes + n, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

bool MemorySink::truncate(std::uint64_t n) {
    if (n > bytes_.size())
        return false;
    bytes_.resize(static_cast<std::size_t>(n));
    return true;
}

} // namespace kovra::avi
