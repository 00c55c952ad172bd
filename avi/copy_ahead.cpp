#include "avi/copy_ahead.h"

#include <algorithm>
#include <system_error>

namespace kovra::avi {

namespace {

// Small enough that a stop is heeded soon, large enough that the calls cost nothing next to
// the bytes they copy.
constexpr std::uint64_t kPieceSize = 16u << 20;

} // namespace

CopyAhead::CopyAhead(ByteSource& source, ByteSink& sink)
    : source_(source), sink_(sink), limit_(source.size()) {
    if (!sink_.copiesFrom(source_))
        return;
    try {
        thread_ = std::thread([this] { run(); });
        started_ = true;
    } catch (const std::system_error&) {
        // No thread: the repair copies the same bytes itself, after the walk.
    }
}

CopyAhead::~CopyAhead() {
    stop(0);
}

void CopyAhead::run() {
    for (std::uint64_t limit; !failed_ && copied_ < (limit = limit_.load());) {
        std::uint64_t n = std::min(kPieceSize, limit - copied_);
        if (sink_.copyRange(source_, copied_, n))
            copied_ += n;
        else
            failed_ = true;
    }
}

void CopyAhead::stop(std::uint64_t end) {
    limit_.store(end);
    if (thread_.joinable())
        thread_.join();
}

bool CopyAhead::finishAt(std::uint64_t end) {
    end = std::min(end, source_.size());
    stop(end);
    if (failed_ || copied_ < end)
        return false;
    return copied_ == end || sink_.truncate(end);
}

} // namespace kovra::avi
