#include "device/copy_ahead.h"

#include <algorithm>
#include <system_error>

namespace kovra {

namespace {

// Small enough that a stop is heeded soon, large enough that the calls cost nothing next to
// the bytes they copy.
constexpr std::uint64_t kPieceSize = 16u << 20;

} // namespace

CopyAhead::CopyAhead(VideoFileSource& source, FileReplacement& file)
    : source_(source), file_(file), limit_(source.size()) {
    if (source_.openError() != OsError::None || !file_.isOpen())
        return;
    try {
        thread_ = std::thread([this] { run(); });
        started_ = true;
    } catch (const std::system_error&) {
        // No thread: the same bytes are copied after the reading.
    }
}

CopyAhead::~CopyAhead() {
    stop(0);
}

void CopyAhead::run() {
    for (std::uint64_t limit; !failed_ && copied_ < (limit = limit_.load());) {
        std::uint64_t n = std::min(kPieceSize, limit - copied_);
        if (source_.copyTo(file_, copied_, n))
            copied_ += n;
        else
            failed_ = true;
    }
}

void CopyAhead::stop(std::uint64_t end) {
    limit_.store(end);
    if (thread_.joinable())
        thread_.join();
    stopped_ = true;
}

bool CopyAhead::finishAt(std::uint64_t end) {
    end = std::min(end, source_.size());
    stop(end);
    if (failed_ || copied_ < end)
        return false;
    // The thread may have passed the end before it saw the stop.
    return copied_ == end || file_.truncate(end) == OsError::None;
}

} // namespace kovra
