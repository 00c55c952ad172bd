#include "avi/movi_walk.h"

#include "avi/frame_check.h"

namespace kovra::avi {

namespace {

// Past this many unverified frames (a video without sound), the newest one's end is looked
// for: found, it vouches for all before it, and the list starts again.
constexpr std::size_t kMostUnverified = 64;
// Where no odd-sized chunk was just passed.
constexpr std::uint64_t kNoOddChunk = 0;

} // namespace

bool MoviWalker::endsMovi(FourCC id) const {
    return !limitTrusted_ && (id == kIdx1 || id == kRiff);
}

bool MoviWalker::isKnownId(FourCC id) const {
    unsigned stream;
    DataKind kind;
    return parseDataId(id, context_.streamCount, stream, kind) || isSkippedMoviChunk(id) ||
           id == kJunk || id == kList || id == kIdx1 || id == kRiff;
}

// Whether a chunk of this size that starts at pos fits before the limit.
bool MoviWalker::fits(std::uint64_t pos, std::uint32_t size) const {
    return pos <= limit_ && limit_ - pos >= kChunkHeaderSize &&
           size <= limit_ - pos - kChunkHeaderSize;
}

// A data chunk that fits, or what ends movi, at pos.
bool MoviWalker::dataOrEndAt(std::uint64_t pos) {
    std::uint8_t h[kChunkHeaderSize];
    if (!fits(pos, 0) || !reader_.copy(pos, h, sizeof h))
        return false;
    FourCC id = le32(h);
    unsigned stream;
    DataKind kind;
    return endsMovi(id) || (parseDataId(id, context_.streamCount, stream, kind) &&
                            fits(pos, le32(h + kFourccSize)));
}

// A chunk header found by scanning is believed when its chunk fits and is followed by another
// known chunk id or by the limit; JPEG bytes rarely pass both.
bool MoviWalker::plausibleAt(std::uint64_t pos, const std::uint8_t* h) {
    // Most bytes a scan passes fail here: a stream's data chunk begins with a digit, and the
    // others it may stop at are LIST, idx1 and RIFF.
    if (!((h[0] >= '0' && h[0] <= '9') || h[0] == 'L' || h[0] == 'i' || h[0] == 'R'))
        return false;
    FourCC id = le32(h);
    std::uint32_t size = le32(h + kFourccSize);
    if (endsMovi(id))
        return true;
    if (id == kList) {
        std::uint8_t type[kFourccSize];
        return reader_.copy(pos + kChunkHeaderSize, type, kFourccSize) && le32(type) == kRec;
    }
    unsigned stream;
    DataKind kind;
    if (!parseDataId(id, context_.streamCount, stream, kind) || !fits(pos, size))
        return false;
    std::uint64_t next = pos + kChunkHeaderSize + padded(size);
    if (next >= limit_ || limit_ - next < kFourccSize)
        return true;
    std::uint8_t following[kFourccSize];
    return reader_.copy(next, following, kFourccSize) && isKnownId(le32(following));
}

// The next plausible chunk header after a bad one, or the limit when there is none.
std::uint64_t MoviWalker::resync(std::uint64_t from) {
    std::uint64_t pos = from;
    while (pos < limit_ && limit_ - pos >= kChunkHeaderSize) {
        std::uint64_t left = limit_ - pos;
        std::size_t n = left < SourceReader::kMostViewed ? static_cast<std::size_t>(left)
                                                         : SourceReader::kMostViewed;
        const std::uint8_t* window = reader_.view(pos, n);
        if (!window)
            return limit_;
        // Candidates are checked through copy(), which leaves this window in place.
        std::size_t last = n - kChunkHeaderSize;
        for (std::size_t i = 0; i <= last; ++i)
            if (plausibleAt(pos + i, window + i))
                return pos + i;
        pos += last + 1;
    }
    return limit_;
}

void MoviWalker::take(const DataChunk& chunk, bool vouchedFor) {
    tally_.add(chunk.stream, chunk.size);
    if (chunks_)
        chunks_->push_back(chunk);
    if (!vouchedFor) {
        unverified_.clear();
        return;
    }
    unverified_.push_back(chunk);
    if (unverified_.size() >= kMostUnverified &&
        jpegFrameEnds(reader_, chunk.offset() + kChunkHeaderSize, chunk.size))
        unverified_.clear();
}

// A JPEG frame whose start marker is there is taken once a data chunk follows it: it was
// written whole before the next one began. Only a frame that anything else follows (garbage, a
// cut, the end, a chunk a repair leaves out) has its end looked for, where a torn write would
// have left it short; the index check of the repair's output judges the same way.
void MoviWalker::settle(bool followedByChunk) {
    if (!pending_)
        return;
    if (followedByChunk)
        take(*pending_, true);
    else if (jpegFrameEnds(reader_, pending_->offset() + kChunkHeaderSize, pending_->size))
        take(*pending_, false);
    else
        ++found_.damagedFrames;
    pending_.reset();
}

// An odd-sized chunk some writers leave without its pad byte: nothing known at the padded end,
// a data chunk a byte before it.
bool MoviWalker::unpaddedAt(std::uint64_t pos, FourCC id, std::uint32_t size) {
    bool knownThere = (isKnownId(id) && fits(pos, size)) || endsMovi(id);
    if (pos != afterOddChunk_ || knownThere || !dataOrEndAt(pos - 1))
        return false;
    ++found_.unpadded;
    if (oddChunkListed_ && pending_)
        pending_->setPadMissing();
    else if (oddChunkListed_ && chunks_ && !chunks_->empty())
        (*chunks_)[chunks_->size() - 1].setPadMissing();
    return true;
}

// One chunk at pos: taken, passed over or resynced past; pos moves on. False where the walk
// ends here.
bool MoviWalker::step(std::uint64_t& pos) {
    if (limit_ - pos < kChunkHeaderSize) {
        if (unpaddedAt(pos, 0, 0)) {
            --pos;
            afterOddChunk_ = kNoOddChunk;
            return true;
        }
        // A header the file's end cut in half, or leftover bytes before movi's own end.
        if (limitTrusted_)
            found_.garbageBytes += limit_ - pos;
        else
            found_.cutOff = true;
        pos = limit_;
        return false;
    }
    const std::uint8_t* h = reader_.view(pos, kChunkHeaderSize);
    if (!h)
        return false; // unreadable: the rest is lost, and readFailed() says so
    FourCC id = le32(h);
    std::uint32_t size = le32(h + kFourccSize);
    if (unpaddedAt(pos, id, size)) {
        --pos;
        afterOddChunk_ = kNoOddChunk;
        return true;
    }
    afterOddChunk_ = kNoOddChunk;
    if (endsMovi(id))
        return false;
    if (id == kList && limit_ - pos >= kListHeaderSize) {
        std::uint8_t type[kFourccSize];
        if (reader_.copy(pos + kChunkHeaderSize, type, kFourccSize) && le32(type) == kRec) {
            pos += kListHeaderSize; // a rec group's chunks are walked like any others
            return true;
        }
    }
    unsigned stream = 0;
    DataKind kind = DataKind::Compressed;
    bool isData = parseDataId(id, context_.streamCount, stream, kind);
    bool known = isData || isSkippedMoviChunk(id) || id == kJunk || id == kList;
    if (known && fits(pos, size)) {
        settle(isData);
        std::uint64_t payload = pos + kChunkHeaderSize;
        oddChunkListed_ = false;
        if (isData) {
            DataChunk chunk(pos, size, stream, kind);
            bool frame = stream == context_.videoStream && context_.jpegFrames && size != 0;
            if (!frame) {
                take(chunk, false);
                oddChunkListed_ = true;
            } else if (jpegFrameStarts(reader_, payload, size)) {
                pending_ = chunk;
                oddChunkListed_ = true;
            } else {
                ++found_.damagedFrames;
            }
        }
        std::uint64_t next = payload + padded(size);
        if (size & 1)
            afterOddChunk_ = next;
        pos = next < limit_ ? next : limit_;
        return true;
    }
    settle(false);
    // A chunk id no stream has, or a size past the limit: resync, and what lies between is
    // garbage; a size past the limit with nothing valid after it is the cut-off last chunk.
    bool cutHere = known && !limitTrusted_ && atCut_ == AtCut::Stop;
    std::uint64_t resumed = cutHere ? limit_ : resync(pos + 1);
    if (resumed == limit_ && known && !limitTrusted_)
        found_.cutOff = true;
    else
        found_.garbageBytes += resumed - pos;
    pos = resumed;
    return true;
}

WalkFindings MoviWalker::walk(std::uint64_t from, std::uint64_t limit, WalkLimit kind) {
    limit_ = limit;
    limitTrusted_ = kind == WalkLimit::MoviEnd;
    found_ = WalkFindings{};
    pending_.reset();
    afterOddChunk_ = kNoOddChunk;
    oddChunkListed_ = false;
    std::uint64_t pos = from;
    while (pos < limit_ && step(pos)) {
    }
    settle(false);
    found_.end = pos;
    return found_;
}

std::uint64_t MoviWalker::dropUnendedLastFrames() {
    std::uint64_t dropped = 0;
    for (; !unverified_.empty(); unverified_.pop_back(), ++dropped) {
        const DataChunk& last = unverified_.back();
        if (jpegFrameEnds(reader_, last.offset() + kChunkHeaderSize, last.size))
            break;
        tally_.removeLast(last.stream, last.size);
        if (chunks_)
            chunks_->truncate(chunks_->size() - 1);
    }
    unverified_.clear();
    return dropped;
}

} // namespace kovra::avi
