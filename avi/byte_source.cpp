#include "avi/byte_source.h"

#include <cstring>

namespace kovra::avi {

bool MemorySource::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (offset > size_ || n > size_ - offset)
        return false;
    if (n != 0)
        std::memcpy(buffer, data_ + offset, n);
    return true;
}

} // namespace kovra::avi
