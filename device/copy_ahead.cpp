#include "device/copy_ahead.h"

#include <algorithm>
#include <system_error>

namespace kovra {

namespace {

// Small enough that a stop is heeded soon, large enough that the calls cost nothing next to
// the bytes they copy.
constexpr std::uint64_t kPieceSize = 16u << 20;

std::vector<avi::OutputPiece> wholeSource(const VideoFileSource& source) {
    avi::OutputPiece whole;
    whole.fromSource = true;
    whole.size = source.openError() == OsError::None ? source.size() : 0;
    return {whole};
}

} // namespace

CopyAhead::CopyAhead(std::vector<avi::OutputPiece> guess, std::vector<VideoFileSource*> sources,
                     FileReplacement& file)
    : guess_(std::move(guess)), sources_(std::move(sources)), file_(file), limit_(0) {
    std::uint64_t total = 0;
    for (const avi::OutputPiece& piece : guess_) {
        if (piece.fromSource && (piece.source >= sources_.size() ||
                                 sources_[piece.source]->openError() != OsError::None))
            return;
        total += piece.size;
    }
    if (!file_.isOpen() || total == 0)
        return;
    limit_.store(total);
    try {
        thread_ = std::thread([this] { run(); });
        started_ = true;
    } catch (const std::system_error&) {
        // No thread: the output is written after the reading.
    }
}

CopyAhead::CopyAhead(VideoFileSource& source, FileReplacement& file)
    : CopyAhead(wholeSource(source), {&source}, file) {}

CopyAhead::~CopyAhead() {
    stop(0);
}

bool CopyAhead::copyPiece(std::size_t i, std::uint64_t from, std::uint64_t to) {
    const avi::OutputPiece& piece = guess_[i];
    if (piece.fromSource)
        return sources_[piece.source]->copyTo(file_, piece.offset + from, to - from);
    return file_.write(piece.bytes.data() + from, static_cast<std::size_t>(to - from)) ==
           OsError::None;
}

void CopyAhead::run() {
    std::size_t piece = 0;
    std::uint64_t pieceStart = 0; // where in the output the piece begins
    for (std::uint64_t limit; !failed_ && copied_ < (limit = limit_.load());) {
        while (piece < guess_.size() && copied_ - pieceStart >= guess_[piece].size)
            pieceStart += guess_[piece++].size;
        if (piece == guess_.size())
            break;
        std::uint64_t from = copied_ - pieceStart;
        std::uint64_t n = std::min({kPieceSize, guess_[piece].size - from, limit - copied_});
        if (copyPiece(piece, from, from + n))
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

std::uint64_t CopyAhead::follow(const VideoFileSource* source, std::uint64_t offset,
                                const void* data, std::uint64_t n) {
    if (!running())
        return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint64_t matched = 0;
    while (matched < n && next_ < guess_.size()) {
        const avi::OutputPiece& piece = guess_[next_];
        if (within_ == piece.size) {
            ++next_;
            within_ = 0;
            continue;
        }
        std::uint64_t span = std::min(piece.size - within_, n - matched);
        std::uint64_t same = 0;
        if (source && piece.fromSource) {
            bool sameBytes = sources_[piece.source]->path() == source->path() &&
                             piece.offset + within_ == offset + matched;
            same = sameBytes ? span : 0;
        } else if (!source && !piece.fromSource) {
            const std::uint8_t* guessed = piece.bytes.data() + within_;
            same = static_cast<std::uint64_t>(
                std::mismatch(guessed, guessed + span, bytes + matched).first - guessed);
        }
        matched += same;
        within_ += same;
        followed_ += same;
        if (same < span)
            break;
    }
    return matched;
}

bool CopyAhead::finish() {
    if (!started_)
        return true;
    stop(followed_);
    // The thread may have passed the point before it saw the stop; what it met past there
    // costs nothing, but a failed write stays the file's writeError().
    if (copied_ < followed_)
        return false;
    return copied_ == followed_ || file_.truncate(followed_) == OsError::None;
}

} // namespace kovra
