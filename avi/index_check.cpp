#include "avi/index_check.h"

#include <algorithm>
#include <memory>

#include "avi/frame_check.h"

namespace kovra::avi {

namespace {

constexpr std::size_t kEntriesPerRead = 4096;
// Entries tried for telling offsets from the movi fourcc and from the file's start apart.
constexpr std::uint64_t kBaseProbes = 8;

struct Entry {
    FourCC id;
    std::uint32_t flags;
    std::uint32_t offset;
    std::uint32_t size;
};

Entry entryAt(const std::uint8_t* e) {
    return {le32(e + kEntryId), le32(e + kEntryFlags), le32(e + kEntryOffset),
            le32(e + kEntrySize)};
}

// Reads the index a block of entries at a time.
class EntryStream {
  public:
    EntryStream(SourceReader& reader, const IndexLocation& index)
        : reader_(reader), first_(index.offset + kChunkHeaderSize), count_(index.entries),
          block_(std::min<std::uint64_t>(kEntriesPerRead, count_) * kIndexEntrySize) {}

    std::uint64_t count() const { return count_; }
    bool next(Entry& entry) {
        if (done_ == count_)
            return false;
        if (!inBlock(done_)) {
            blockEntries_ =
                static_cast<std::size_t>(std::min<std::uint64_t>(kEntriesPerRead, count_ - done_));
            if (!reader_.copy(first_ + done_ * kIndexEntrySize, block_.data(),
                              blockEntries_ * kIndexEntrySize)) {
                blockEntries_ = 0;
                return false;
            }
            blockFirst_ = done_;
        }
        entry = entryAt(block_.data() + (done_ - blockFirst_) * kIndexEntrySize);
        ++done_;
        return true;
    }
    // The entry ahead entries after the one next() gave last, where it is in the block at hand:
    // planning reads looks no further, and so costs no read of its own.
    bool peek(std::uint64_t ahead, Entry& entry) const {
        if (ahead >= count_ - done_ || !inBlock(done_ + ahead))
            return false;
        entry = entryAt(block_.data() + (done_ + ahead - blockFirst_) * kIndexEntrySize);
        return true;
    }
    // Back to the first entry, keeping its block where that is the one at hand.
    void rewind() { done_ = 0; }

  private:
    bool inBlock(std::uint64_t i) const {
        return i >= blockFirst_ && i - blockFirst_ < blockEntries_;
    }

    SourceReader& reader_;
    std::uint64_t first_, count_, done_ = 0, blockFirst_ = 0;
    std::vector<std::uint8_t> block_;
    std::size_t blockEntries_ = 0;
};

// A read from the system costs its call far more than the bytes it copies, up to a few pages:
// a look that begins this close after the end of the one before is read with it, a farther
// one on its own.
constexpr std::uint64_t kReadThroughGap = 8 * 1024;

// Whether the check looks at the entry's frame start: a JPEG frame with room for one.
bool startLooked(const Entry& entry, const StreamContext& context) {
    unsigned stream;
    DataKind kind;
    return context.jpegFrames && entry.size >= 2 * kJpegStartSize &&
           parseDataId(entry.id, context.streamCount, stream, kind) &&
           stream == context.videoStream;
}

// Where the bytes the check looks at in an entry's chunk end: its header, and a frame's start
// marker.
std::uint64_t lookEnd(std::uint64_t pos, const Entry& entry, const StreamContext& context) {
    return pos + kChunkHeaderSize + (startLooked(entry, context) ? kJpegStartSize : 0);
}

// How far the read that brings the look at pos goes: on through the looks at the entries after
// it while each, in file order, begins within kReadThroughGap of the end of the one before and
// ends within a window of pos. No further: the bytes a look skips are not copied.
std::uint64_t plannedReach(const EntryStream& entries, std::uint64_t base, std::uint64_t pos,
                           const Entry& entry, const StreamContext& context) {
    std::uint64_t through = lookEnd(pos, entry, context);
    Entry after;
    for (std::uint64_t ahead = 0; entries.peek(ahead, after); ++ahead) {
        std::uint64_t start = base + after.offset, end = lookEnd(start, after, context);
        if (start < through || start - through > kReadThroughGap ||
            end - pos > SourceReader::kWindow)
            break;
        through = end;
    }
    return through;
}

// Whether the chunk header at pos is the one entry (the one entries gave last) lists.
bool headerMatches(SourceReader& reader, const EntryStream& entries, std::uint64_t base,
                   const Entry& entry, const StreamContext& context) {
    std::uint64_t pos = base + entry.offset;
    std::uint64_t through = reader.holds(pos, kChunkHeaderSize)
                                ? pos
                                : plannedReach(entries, base, pos, entry, context);
    const std::uint8_t* h = reader.view(pos, kChunkHeaderSize, through);
    return h && le32(h) == entry.id && le32(h + kFourccSize) == entry.size;
}

// What the check looks at in the chunks of the entries ahead (each one's header, and a frame's
// start marker), read for a batch of entries at once: the index tells where every look falls,
// and a read from the system a chunk costs a call a chunk.
class LookBatch {
  public:
    // The looks of entry i (the one entries gave last) and of those after it in the entries'
    // block, unless i's are at hand.
    void cover(SourceReader& reader, const EntryStream& entries, std::uint64_t i,
               std::uint64_t base, const Entry& entry, const StreamContext& context) {
        if (i >= first_ && i - first_ < count_)
            return;
        first_ = i;
        count_ = 0;
        std::size_t reads = 0;
        Entry ahead = entry;
        do {
            std::uint64_t pos = base + ahead.offset;
            std::size_t n = static_cast<std::size_t>(lookEnd(pos, ahead, context) - pos);
            if (!reader.fits(pos, n))
                n = kChunkHeaderSize;
            // A look that begins a little after the one before is read with it (a sound chunk's
            // header and the next frame's): even in one call, each read costs the system far
            // more than the bytes between.
            ReadRequest* last = reads > 0 ? &requests_[reads - 1] : nullptr;
            std::uint64_t lastEnd = last ? last->offset + last->n : 0;
            if (last && pos >= lastEnd && pos - lastEnd <= kMergedGap &&
                pos + n - last->offset <= kMostMerged) {
                last->n = static_cast<std::size_t>(pos + n - last->offset);
            } else {
                requests_[reads++] = {pos, nullptr, n, false};
            }
            looks_[count_++] = {reads - 1, pos, n};
        } while (count_ < kLooks && entries.peek(count_ - 1, ahead));
        std::uint8_t* into = arena();
        for (std::size_t r = 0; r < reads; ++r) {
            requests_[r].buffer = into;
            into += requests_[r].n;
        }
        reader.readEach(requests_, reads);
    }
    // Whether entry i's chunk header is where it says, and the one it lists.
    bool headerMatches(std::uint64_t i, const Entry& entry) const {
        const std::uint8_t* h = look(i);
        return h && le32(h) == entry.id && le32(h + kFourccSize) == entry.size;
    }
    // Whether entry i's frame starts as a JPEG picture does.
    bool frameStarts(std::uint64_t i, const Entry& entry) const {
        const std::uint8_t* h = look(i);
        return h && looks_[i - first_].size == kLookSize &&
               jpegStartMarker(h + kChunkHeaderSize, entry.size);
    }

  private:
    static constexpr std::size_t kLooks = 256;
    static constexpr std::size_t kLookSize = kChunkHeaderSize + kJpegStartSize;
    // The most bytes between two looks read as one, and so the most one read spans: a sound
    // chunk of a frame's length at the recorder's rates, not a frame.
    static constexpr std::uint64_t kMergedGap = 2048;
    static constexpr std::uint64_t kMostMerged = kMergedGap + 2 * kLookSize;

    // Where an entry's look was read: in which of the batch's reads, at what offset, how much.
    struct Look {
        std::size_t read;
        std::uint64_t at;
        std::size_t size;
    };

    const std::uint8_t* look(std::uint64_t i) const {
        const Look& wanted = looks_[i - first_];
        const ReadRequest& request = requests_[wanted.read];
        if (!request.read)
            return nullptr;
        return static_cast<const std::uint8_t*>(request.buffer) + (wanted.at - request.offset);
    }
    // The thread's room for a batch's reads, kept from one video to the next.
    static std::uint8_t* arena() {
        static thread_local std::unique_ptr<std::uint8_t[]> room(
            new std::uint8_t[kLooks * kMostMerged]);
        return room.get();
    }

    ReadRequest requests_[kLooks];
    Look looks_[kLooks];
    std::uint64_t first_ = 0;
    std::size_t count_ = 0;
};

// Some writers count entry offsets from the movi fourcc, some from the file's start: the
// first entries whose chunk header is where one of the two says tell which.
bool findBase(SourceReader& reader, EntryStream& entries, const StreamContext& context,
              std::uint64_t moviFourcc, std::uint64_t& base) {
    Entry entry;
    bool found = false;
    for (std::uint64_t i = 0; i < kBaseProbes && !found && entries.next(entry); ++i)
        for (std::uint64_t candidate : {moviFourcc, std::uint64_t{0}})
            if (headerMatches(reader, entries, candidate, entry, context)) {
                base = candidate;
                found = true;
                break;
            }
    entries.rewind();
    return found;
}

// Whether a data chunk of a known stream that fits in movi starts at pos.
bool dataChunkAt(SourceReader& reader, const StreamContext& context, std::uint64_t pos,
                 std::uint64_t moviEnd) {
    std::uint8_t h[kChunkHeaderSize];
    unsigned stream;
    DataKind kind;
    return pos <= moviEnd && moviEnd - pos >= kChunkHeaderSize && reader.copy(pos, h, sizeof h) &&
           parseDataId(le32(h), context.streamCount, stream, kind) &&
           le32(h + kFourccSize) <= moviEnd - pos - kChunkHeaderSize;
}

} // namespace

IndexLocation locateIndex(SourceReader& reader, std::uint64_t pos) {
    IndexLocation index;
    const std::uint8_t* h = reader.view(pos, kChunkHeaderSize);
    if (!h || le32(h) != kIdx1)
        return index;
    index.present = true;
    index.offset = pos;
    std::uint64_t size = le32(h + kFourccSize);
    std::uint64_t available = reader.size() - pos - kChunkHeaderSize;
    index.cutOff = size > available;
    index.entries = std::min(size, available) / kIndexEntrySize;
    return index;
}

bool checkIndex(SourceReader& reader, const StreamContext& context, const IndexLocation& index,
                std::uint64_t moviFourcc, std::uint64_t moviEnd, IndexedChunks& listed,
                ChunkList* chunks, IndexCheck depth) {
    if (!index.present || index.entries == 0)
        return false;
    std::uint64_t base;
    EntryStream entries(reader, index);
    if (!findBase(reader, entries, context, moviFourcc, base))
        return false;

    IndexedChunks found(context.streamCount);
    std::size_t chunksBefore = chunks ? chunks->size() : 0;
    auto fail = [&] {
        if (chunks)
            chunks->truncate(chunksBefore);
        return false;
    };
    // The frame last listed, judged once what follows it is known: the next entry's chunk right
    // after it, some other data chunk there, or else its end marker.
    bool frameListed = false;
    std::uint64_t framePayload = 0;
    std::uint32_t frameSize = 0;
    std::uint64_t previousEnd = moviFourcc + kFourccSize, paddedEnd = previousEnd;
    const bool readChunks = depth == IndexCheck::Chunks;
    auto frameWhole = [&](bool nextChunkAdjacent) {
        return !readChunks || nextChunkAdjacent ||
               dataChunkAt(reader, context, paddedEnd, moviEnd) ||
               jpegFrameEnds(reader, framePayload, frameSize);
    };
    LookBatch looks;
    Entry entry;
    for (std::uint64_t i = 0; i < entries.count(); ++i) {
        if (!entries.next(entry))
            return fail();
        if (readChunks)
            looks.cover(reader, entries, i, base, entry, context);
        unsigned stream;
        DataKind kind;
        if (!parseDataId(entry.id, context.streamCount, stream, kind))
            return fail();
        std::uint64_t pos = base + entry.offset;
        std::uint64_t end = pos + kChunkHeaderSize + entry.size;
        if (pos < previousEnd || end > moviEnd || (readChunks && !looks.headerMatches(i, entry)))
            return fail();
        if (frameListed && !frameWhole(pos == previousEnd || pos == paddedEnd))
            return fail();
        if (i != 0 && pos == previousEnd && previousEnd != paddedEnd)
            ++found.unpadded;
        bool isFrame = stream == context.videoStream && context.jpegFrames && entry.size != 0;
        if (isFrame && readChunks && !looks.frameStarts(i, entry))
            return fail();
        frameListed = isFrame;
        framePayload = pos + kChunkHeaderSize;
        frameSize = entry.size;
        found.tally.add(stream, entry.size);
        if (chunks) {
            DataChunk chunk(pos, entry.size, stream, kind);
            chunk.setFlags(entry.flags);
            chunks->push_back(chunk);
        }
        previousEnd = end;
        paddedEnd = pos + kChunkHeaderSize + padded(entry.size);
    }
    if (frameListed && !frameWhole(false))
        return fail();
    // The last chunk, with or without its pad byte, ends where movi does.
    if (previousEnd != moviEnd && paddedEnd != moviEnd)
        return fail();
    listed.tally.add(found.tally);
    listed.unpadded += found.unpadded;
    return true;
}

void takeIndexFlags(SourceReader& reader, const IndexLocation& index, std::uint64_t moviFourcc,
                    ChunkList& chunks) {
    std::uint64_t base;
    EntryStream entries(reader, index);
    if (!findBase(reader, entries, StreamContext{}, moviFourcc, base))
        return;
    // The chunks are in file order; an entry out of order or pointing nowhere costs only itself.
    for (Entry entry; entries.next(entry);) {
        std::uint64_t pos = base + entry.offset;
        std::size_t low = 0, high = chunks.size();
        while (low < high) {
            std::size_t middle = low + (high - low) / 2;
            if (chunks[middle].offset() < pos)
                low = middle + 1;
            else
                high = middle;
        }
        if (low == chunks.size())
            continue;
        DataChunk& chunk = chunks[low];
        if (chunk.offset() == pos && makeDataId(chunk.stream, chunk.kind) == entry.id)
            chunk.setFlags(entry.flags);
    }
}

} // namespace kovra::avi
