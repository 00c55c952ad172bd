#include "device/video_output.h"

namespace kovra {

bool VideoOutput::settle() {
    CopyAhead* ahead = ahead_;
    ahead_ = nullptr;
    return !ahead || ahead->finish();
}

bool VideoOutput::append(const void* data, std::size_t n) {
    std::uint64_t kept = ahead_ ? ahead_->follow(nullptr, 0, data, n) : 0;
    if (kept == n)
        return true;
    if (!settle())
        return false;
    return file_.write(static_cast<const std::uint8_t*>(data) + kept,
                       n - static_cast<std::size_t>(kept)) == OsError::None;
}

bool VideoOutput::appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) {
    if (source >= sources_.size())
        return false;
    std::uint64_t kept = ahead_ ? ahead_->follow(sources_[source], offset, nullptr, n) : 0;
    if (kept == n)
        return true;
    if (!settle())
        return false;
    if (sources_[source]->copyTo(file_, offset + kept, n - kept))
        return true;
    failedSource_ = source;
    return false;
}

bool VideoOutput::overwrite(std::uint64_t offset, const void* data, std::size_t n) {
    return settle() && file_.writeAt(offset, data, n) == OsError::None;
}

} // namespace kovra
