#include "avi/output_sink.h"

#include <algorithm>

namespace kovra::avi {

bool MemoryOutput::append(const void* data, std::size_t n) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + n);
    return true;
}

bool MemoryOutput::appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) {
    if (source >= sources_.size() || n > bytes_.max_size() - bytes_.size())
        return false;
    std::size_t at = bytes_.size();
    bytes_.resize(at + static_cast<std::size_t>(n));
    if (n == 0 || sources_[source]->readAt(offset, bytes_.data() + at, static_cast<std::size_t>(n)))
        return true;
    bytes_.resize(at);
    return false;
}

bool MemoryOutput::overwrite(std::uint64_t offset, const void* data, std::size_t n) {
    if (offset > bytes_.size() || n > bytes_.size() - offset)
        return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::copy(bytes, bytes + n, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

} // namespace kovra::avi
