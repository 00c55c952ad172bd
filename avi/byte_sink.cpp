#include "avi/byte_sink.h"

namespace kovra::avi {

bool MemorySink::write(const void* data, std::size_t n) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + n);
    return true;
}

} // namespace kovra::avi
