#include "avi/movi_walk.h"

#include "avi/frame_check.h"

#include <optional>

namespace kovra::avi {

namespace {

struct Walk {
    SourceReader& reader;
    const StreamContext& context;
    std::uint64_t limit;
    bool limitTrusted;

    bool endsMovi(FourCC id) const { return !limitTrusted && (id == kIdx1 || id == kRiff); }

    bool isKnownId(FourCC id) const {
        unsigned stream;
        DataKind kind;
        return parseDataId(id, context.streamCount, stream, kind) || isSkippedMoviChunk(id) ||
               id == kJunk || id == kList || id == kIdx1 || id == kRiff;
    }

    // Whether a chunk of this size that starts at pos fits before the limit.
    bool fits(std::uint64_t pos, std::uint32_t size) const {
        return pos <= limit && limit - pos >= kChunkHeaderSize &&
               size <= limit - pos - kChunkHeaderSize;
    }

    // A data chunk that fits, or what ends movi, at pos.
    bool dataOrEndAt(std::uint64_t pos) {
        std::uint8_t h[kChunkHeaderSize];
        if (!fits(pos, 0) || !reader.copy(pos, h, sizeof h))
            return false;
        FourCC id = le32(h);
        unsigned stream;
        DataKind kind;
        return endsMovi(id) || (parseDataId(id, context.streamCount, stream, kind) &&
                                fits(pos, le32(h + kFourccSize)));
    }

    // A chunk header found by scanning is believed when its chunk fits and is followed by
    // another known chunk id or by the limit; JPEG bytes rarely pass both.
    bool plausibleAt(std::uint64_t pos, const std::uint8_t* h) {
        // Most bytes a scan passes fail here: a stream's data chunk begins with a digit, and
        // the others it may stop at are LIST, idx1 and RIFF.
        if (!((h[0] >= '0' && h[0] <= '9') || h[0] == 'L' || h[0] == 'i' || h[0] == 'R'))
            return false;
        FourCC id = le32(h);
        std::uint32_t size = le32(h + kFourccSize);
        if (endsMovi(id))
            return true;
        if (id == kList) {
            std::uint8_t type[kFourccSize];
            return reader.copy(pos + kChunkHeaderSize, type, kFourccSize) && le32(type) == kRec;
        }
        unsigned stream;
        DataKind kind;
        if (!parseDataId(id, context.streamCount, stream, kind) || !fits(pos, size))
            return false;
        std::uint64_t next = pos + kChunkHeaderSize + padded(size);
        if (next >= limit || limit - next < kFourccSize)
            return true;
        std::uint8_t following[kFourccSize];
        return reader.copy(next, following, kFourccSize) && isKnownId(le32(following));
    }

    // The next plausible chunk header after a bad one, or the limit when there is none.
    std::uint64_t resync(std::uint64_t from) {
        std::uint64_t pos = from;
        while (pos < limit && limit - pos >= kChunkHeaderSize) {
            std::uint64_t left = limit - pos;
            std::size_t n = left < SourceReader::kMostViewed ? static_cast<std::size_t>(left)
                                                             : SourceReader::kMostViewed;
            const std::uint8_t* window = reader.view(pos, n);
            if (!window)
                return limit;
            // Candidates are checked through copy(), which leaves this window in place.
            std::size_t last = n - kChunkHeaderSize;
            for (std::size_t i = 0; i <= last; ++i)
                if (plausibleAt(pos + i, window + i))
                    return pos + i;
            pos += last + 1;
        }
        return limit;
    }
};

// Past this many unverified frames (a video without sound), the newest one's end is looked
// for: found, it vouches for all before it, and the list starts again.
constexpr std::size_t kMostUnverified = 64;
// Where no odd-sized chunk was just passed.
constexpr std::uint64_t kNoOddChunk = 0;

} // namespace

WalkFindings walkMovi(SourceReader& reader, const StreamContext& context, std::uint64_t from,
                      std::uint64_t limit, bool limitTrusted, Tally& tally, ChunkList* chunks,
                      Unverified& unverified, AtCut atCut) {
    Walk walk{reader, context, limit, limitTrusted};
    WalkFindings found;
    // A JPEG frame whose start marker is there is taken once a data chunk follows it: it was
    // written whole before the next one began. Only a frame that anything else follows
    // (garbage, a cut, the end, a chunk a repair leaves out) has its end looked for, where a
    // torn write would have left it short; the index check of the repair's output judges the
    // same way.
    std::optional<DataChunk> pending;
    auto take = [&](const DataChunk& chunk, bool vouchedFor) {
        tally.add(chunk.stream, chunk.size);
        if (chunks)
            chunks->push_back(chunk);
        if (!vouchedFor) {
            unverified.clear();
            return;
        }
        unverified.push_back(chunk);
        if (unverified.size() >= kMostUnverified &&
            jpegFrameEnds(reader, chunk.offset() + kChunkHeaderSize, chunk.size))
            unverified.clear();
    };
    auto settle = [&](bool followedByChunk) {
        if (!pending)
            return;
        if (followedByChunk)
            take(*pending, true);
        else if (jpegFrameEnds(reader, pending->offset() + kChunkHeaderSize, pending->size))
            take(*pending, false);
        else
            ++found.damagedFrames;
        pending.reset();
    };
    // Where the chunk just passed would have its pad byte, when its size is odd, and whether
    // it went into the list (as the last one there, or as the frame pending).
    std::uint64_t afterOddChunk = kNoOddChunk;
    bool oddChunkListed = false;
    // An odd-sized chunk some writers leave without its pad byte: nothing known at the padded
    // end, a data chunk a byte before it.
    auto unpaddedAt = [&](std::uint64_t pos, FourCC id, std::uint32_t size) {
        bool knownThere = (walk.isKnownId(id) && walk.fits(pos, size)) || walk.endsMovi(id);
        if (pos != afterOddChunk || knownThere || !walk.dataOrEndAt(pos - 1))
            return false;
        ++found.unpadded;
        if (oddChunkListed && pending)
            pending->setPadMissing();
        else if (oddChunkListed && chunks && !chunks->empty())
            (*chunks)[chunks->size() - 1].setPadMissing();
        return true;
    };
    std::uint64_t pos = from;
    while (pos < limit) {
        if (limit - pos < kChunkHeaderSize) {
            if (unpaddedAt(pos, 0, 0)) {
                --pos;
                afterOddChunk = kNoOddChunk;
                continue;
            }
            // A header the file's end cut in half, or leftover bytes before movi's own end.
            if (limitTrusted)
                found.garbageBytes += limit - pos;
            else
                found.cutOff = true;
            pos = limit;
            break;
        }
        const std::uint8_t* h = reader.view(pos, kChunkHeaderSize);
        if (!h)
            break; // unreadable: the rest is lost, and readFailed() says so
        FourCC id = le32(h);
        std::uint32_t size = le32(h + kFourccSize);
        if (unpaddedAt(pos, id, size)) {
            --pos;
            afterOddChunk = kNoOddChunk;
            continue;
        }
        afterOddChunk = kNoOddChunk;
        if (walk.endsMovi(id))
            break;
        if (id == kList && limit - pos >= kListHeaderSize) {
            std::uint8_t type[kFourccSize];
            if (reader.copy(pos + kChunkHeaderSize, type, kFourccSize) && le32(type) == kRec) {
                pos += kListHeaderSize; // a rec group's chunks are walked like any others
                continue;
            }
        }
        unsigned stream = 0;
        DataKind kind = DataKind::Compressed;
        bool isData = parseDataId(id, context.streamCount, stream, kind);
        bool known = isData || isSkippedMoviChunk(id) || id == kJunk || id == kList;
        if (known && walk.fits(pos, size)) {
            settle(isData);
            std::uint64_t payload = pos + kChunkHeaderSize;
            oddChunkListed = false;
            if (isData) {
                DataChunk chunk(pos, size, stream, kind);
                bool frame = stream == context.videoStream && context.jpegFrames && size != 0;
                if (!frame) {
                    take(chunk, false);
                    oddChunkListed = true;
                } else if (jpegFrameStarts(reader, payload, size)) {
                    pending = chunk;
                    oddChunkListed = true;
                } else {
                    ++found.damagedFrames;
                }
            }
            std::uint64_t next = payload + padded(size);
            if (size & 1)
                afterOddChunk = next;
            pos = next < limit ? next : limit;
            continue;
        }
        settle(false);
        // A chunk id no stream has, or a size past the limit: resync, and what lies between is
        // garbage; a size past the limit with nothing valid after it is the cut-off last chunk.
        bool cutHere = known && !limitTrusted && atCut == AtCut::Stop;
        std::uint64_t resumed = cutHere ? limit : walk.resync(pos + 1);
        if (resumed == limit && known && !limitTrusted)
            found.cutOff = true;
        else
            found.garbageBytes += resumed - pos;
        pos = resumed;
    }
    settle(false);
    found.end = pos;
    return found;
}

std::uint64_t dropUnendedLastFrames(SourceReader& reader, Unverified& unverified, Tally& tally,
                                    ChunkList* chunks) {
    std::uint64_t dropped = 0;
    for (; !unverified.empty(); unverified.pop_back(), ++dropped) {
        const DataChunk& last = unverified.back();
        if (jpegFrameEnds(reader, last.offset() + kChunkHeaderSize, last.size))
            break;
        tally.removeLast(last.stream, last.size);
        if (chunks)
            chunks->truncate(chunks->size() - 1);
    }
    unverified.clear();
    return dropped;
}

} // namespace kovra::avi
