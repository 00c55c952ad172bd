#include "device/video_output.h"

namespace kovra {

bool VideoOutput::settleAhead(std::uint64_t keep) {
    CopyAhead* ahead = ahead_;
    ahead_ = nullptr;
    return ahead->finishAt(keep);
}

bool VideoOutput::append(const void* data, std::size_t n) {
    if (ahead_ && ahead_->running() && !settleAhead(0))
        return false;
    return file_.write(data, n) == OsError::None;
}

bool VideoOutput::appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) {
    if (source >= sources_.size())
        return false;
    if (ahead_ && ahead_->running()) {
        if (source == 0 && offset == 0)
            return settleAhead(n);
        if (!settleAhead(0))
            return false;
    }
    if (sources_[source]->copyTo(file_, offset, n))
        return true;
    failedSource_ = source;
    return false;
}

bool VideoOutput::overwrite(std::uint64_t offset, const void* data, std::size_t n) {
    if (ahead_ && ahead_->running() && !settleAhead(0))
        return false;
    return file_.writeAt(offset, data, n) == OsError::None;
}

} // namespace kovra
