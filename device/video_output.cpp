#include "device/video_output.h"

namespace kovra {

bool VideoOutput::append(const void* data, std::size_t n) {
    return file_.write(data, n) == OsError::None;
}

bool VideoOutput::appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) {
    return source < sources_.size() && sources_[source]->copyTo(file_, offset, n);
}

bool VideoOutput::overwrite(std::uint64_t offset, const void* data, std::size_t n) {
    return file_.writeAt(offset, data, n) == OsError::None;
}

} // namespace kovra
