#include "avi/repair.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "avi/analysis.h"
#include "avi/copy_ahead.h"

namespace kovra::avi {

namespace {

constexpr std::size_t kCopyBufferSize = 1 << 20;
// Smaller than the read window: the new index passes through it whole, and a buffer it filled
// would add to a long recording's memory what a short one's index leaves untouched.
constexpr std::size_t kOutputBufferSize = 64 << 10;
constexpr std::uint8_t kPad = 0;

// The buffers outlive one repair: an export repairs file after file, and fresh buffers would
// each cost their pages' faults again. They are not cleared, so a repair whose bytes the system
// copies touches only the pages it uses.
enum class Buffer { Output, Window };

std::uint8_t* reusedBuffer(Buffer which) {
    static thread_local std::unique_ptr<std::uint8_t[]> output, window;
    std::unique_ptr<std::uint8_t[]>& buffer = which == Buffer::Output ? output : window;
    if (!buffer)
        buffer.reset(
            new std::uint8_t[which == Buffer::Output ? kOutputBufferSize : kCopyBufferSize]);
    return buffer.get();
}

// Collects small writes into whole buffers for the sink.
class Output {
  public:
    explicit Output(ByteSink& sink) : sink_(sink), buffer_(reusedBuffer(Buffer::Output)) {}

    bool write(const void* data, std::size_t n) {
        if (used_ + n > kOutputBufferSize && !flush())
            return false;
        if (n >= kOutputBufferSize)
            return sink_.write(data, n);
        std::memcpy(buffer_ + used_, data, n);
        used_ += n;
        return true;
    }
    bool writeLe32(std::uint32_t value) {
        std::uint8_t b[sizeof value];
        putLe32(b, value);
        return write(b, sizeof b);
    }
    bool flush() {
        bool ok = used_ == 0 || sink_.write(buffer_, used_);
        used_ = 0;
        return ok;
    }

  private:
    ByteSink& sink_;
    std::uint8_t* buffer_;
    std::size_t used_ = 0;
};

struct Patch {
    std::uint64_t offset;
    std::uint32_t value;
};

class Writer {
  public:
    Writer(ByteSource& source, ByteSink& sink, CopyAhead& ahead, RepairResult& result)
        : source_(source), sink_(sink), ahead_(ahead), out_(sink), result_(result),
          window_(reusedBuffer(Buffer::Window)) {}

    // Begins the output with the source's first end bytes as they are: copied ahead while the
    // source was read, or now. An end past the source's is a pad byte the cut took.
    bool inPlace(std::uint64_t end) {
        std::uint64_t there = std::min(end, source_.size());
        if (!ahead_.started()) {
            if (!copyAsIs(0, there))
                return false;
        } else if (!ahead_.finishAt(there)) {
            return stop("the bytes up to offset " + std::to_string(there) + " could not be copied");
        }
        return there == end || write(&kPad, 1);
    }

    // Copies n bytes at from as they are, by the sink itself where it can.
    bool copyAsIs(std::uint64_t from, std::uint64_t n) {
        if (n == 0 || !sink_.copiesFrom(source_))
            return copy(from, n);
        if (!out_.flush())
            return writeFailed();
        return sink_.copyRange(source_, from, n) ||
               stop("the bytes at offset " + std::to_string(from) + " could not be copied");
    }

    // Copies n bytes at from through this program. The source is read a window at a time: the
    // chunks come in file order, so one read serves many of them.
    bool copy(std::uint64_t from, std::uint64_t n) {
        while (n != 0) {
            if (from < windowStart_ || from - windowStart_ >= windowLength_) {
                windowStart_ = from;
                windowLength_ = static_cast<std::size_t>(
                    std::min<std::uint64_t>(kCopyBufferSize, source_.size() - from));
                if (windowLength_ == 0 || !source_.readAt(from, window_, windowLength_)) {
                    windowLength_ = 0;
                    return stop("read error at offset " + std::to_string(from));
                }
            }
            std::size_t at = static_cast<std::size_t>(from - windowStart_);
            std::size_t block =
                static_cast<std::size_t>(std::min<std::uint64_t>(n, windowLength_ - at));
            if (!out_.write(window_ + at, block))
                return writeFailed();
            from += block;
            n -= block;
        }
        return true;
    }
    // Writes each patch's word over what is already written at its offset.
    bool patch(const std::vector<Patch>& patches) {
        if (!out_.flush())
            return writeFailed();
        for (const Patch& patch : patches) {
            std::uint8_t b[sizeof patch.value];
            putLe32(b, patch.value);
            if (!sink_.writeAt(patch.offset, b, sizeof b))
                return writeFailed();
        }
        return true;
    }
    bool write(const void* data, std::size_t n) { return out_.write(data, n) || writeFailed(); }
    bool writeLe32(std::uint32_t value) { return out_.writeLe32(value) || writeFailed(); }
    bool finish() { return out_.flush() || writeFailed(); }

  private:
    bool stop(std::string reason) {
        result_.reason = std::move(reason);
        return false;
    }
    bool writeFailed() { return stop("the output could not be written"); }

    ByteSource& source_;
    ByteSink& sink_;
    CopyAhead& ahead_;
    Output out_;
    RepairResult& result_;
    std::uint8_t* window_;
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
};

// The header as it was, with every size and count made to match what is written after it,
// movi's size among them ("LIST" and "movi" are there already: that is how movi was found).
std::vector<Patch> headerPatches(const Analysis& a) {
    const AviHeader& h = a.header;
    std::uint64_t moviSize = kFourccSize + a.tally.writtenBytes;
    std::vector<Patch> patches = {
        {0, kRiff},
        {kSizeFieldOffset, static_cast<std::uint32_t>(a.report.repairedSize - kChunkHeaderSize)},
        {h.moviList + kSizeFieldOffset, static_cast<std::uint32_t>(moviSize)},
        {h.avihPayload + kAvihFlags, h.flags | kAvifHasIndex},
        {h.avihPayload + kAvihTotalFrames, static_cast<std::uint32_t>(a.report.frames)},
        {h.avihPayload + kAvihStreams, static_cast<std::uint32_t>(h.streams.size())},
        {h.avihPayload + kAvihSuggestedBuffer, a.tally.largest},
    };
    for (std::size_t i = 0; i < h.streams.size(); ++i) {
        const StreamHeader& stream = h.streams[i];
        const StreamTally& tally = a.tally.streams[i];
        patches.push_back({stream.strhPayload + kStrhLength,
                           static_cast<std::uint32_t>(strhLength(stream, tally))});
        patches.push_back({stream.strhPayload + kStrhSuggestedBuffer, tally.largest});
    }
    for (std::uint64_t offset : h.openDmlHeaders)
        patches.push_back({offset, kJunk});
    return patches;
}

// Every audio chunk is a key frame, and so is every frame of an intra-only codec. Otherwise
// the old index's flags hold where it listed the chunk; a chunk it did not list is flagged
// only when it is the first video frame, which a player must be able to start from.
std::uint32_t indexFlags(const Analysis& a, const DataChunk& chunk, bool firstVideo) {
    if (chunk.stream != a.header.videoStream || a.intraOnly)
        return kIndexKeyFrame;
    if (chunk.flagsKnown())
        return chunk.flags();
    return firstVideo ? kIndexKeyFrame : 0;
}

bool copyWithRiff(ByteSource& source, Writer& w) {
    return w.inPlace(source.size()) && w.patch({{0, kRiff}}) && w.finish();
}

// Chunks an index listed: only a sample of their headers was read, so each is written from
// what the index says, around its payload.
bool writeIndexedChunks(const Analysis& a, Writer& w) {
    for (const DataChunk& chunk : a.chunks) {
        if (!w.writeLe32(makeDataId(chunk.stream, chunk.kind)) || !w.writeLe32(chunk.size) ||
            !w.copy(chunk.offset() + kChunkHeaderSize, chunk.size) ||
            ((chunk.size & 1) && !w.write(&kPad, 1)))
            return false;
    }
    return true;
}

// Where the output stops being the source's bytes in place: after the header, and after the
// walked chunks that follow it without a gap (all of them, in a recording a power cut only
// ended). Past the source's end by one when the cut took the last chunk's pad byte.
std::uint64_t inPlaceEnd(const Analysis& a) {
    std::uint64_t end = a.header.moviList + kListHeaderSize;
    if (a.chunksFromIndex)
        return end;
    for (const DataChunk& chunk : a.chunks) {
        if (chunk.offset() != end)
            break;
        end += kChunkHeaderSize + padded(chunk.size);
    }
    return end;
}

// Chunks the walk read where they lie, after those in place: their bytes, header and pad byte
// included, go over as they are, neighbours as one run. A pad byte the file's end cut off is
// written.
bool writeWalkedChunks(const Analysis& a, ByteSource& source, Writer& w, std::uint64_t from) {
    std::uint64_t runStart = 0, runEnd = 0;
    for (const DataChunk& chunk : a.chunks) {
        if (chunk.offset() < from)
            continue;
        if (chunk.offset() != runEnd) {
            if (!w.copyAsIs(runStart, runEnd - runStart))
                return false;
            runStart = chunk.offset();
        }
        runEnd = chunk.offset() + kChunkHeaderSize + padded(chunk.size);
        if (runEnd > source.size()) {
            if (!w.copyAsIs(runStart, runEnd - 1 - runStart) || !w.write(&kPad, 1))
                return false;
            runStart = runEnd;
        }
    }
    return w.copyAsIs(runStart, runEnd - runStart);
}

bool writeRepaired(Analysis& a, ByteSource& source, Writer& w) {
    if (!a.intraOnly && !a.chunksFromIndex && a.index.present) {
        SourceReader reader(source);
        takeIndexFlags(reader, a.index, a.header.moviList + kChunkHeaderSize, a.chunks);
    }
    const AviHeader& h = a.header;
    std::uint64_t inPlace = inPlaceEnd(a);
    if (!w.inPlace(inPlace) || !w.patch(headerPatches(a)) ||
        !(a.chunksFromIndex ? writeIndexedChunks(a, w) : writeWalkedChunks(a, source, w, inPlace)))
        return false;
    std::uint64_t entries = a.chunks.size();
    if (!w.writeLe32(kIdx1) || !w.writeLe32(static_cast<std::uint32_t>(entries * kIndexEntrySize)))
        return false;
    std::uint64_t offset = kFourccSize; // from the movi fourcc
    bool firstVideo = true;
    for (const DataChunk& chunk : a.chunks) {
        bool video = chunk.stream == h.videoStream;
        if (!w.writeLe32(makeDataId(chunk.stream, chunk.kind)) ||
            !w.writeLe32(indexFlags(a, chunk, video && firstVideo)) ||
            !w.writeLe32(static_cast<std::uint32_t>(offset)) || !w.writeLe32(chunk.size))
            return false;
        firstVideo = firstVideo && !video;
        offset += kChunkHeaderSize + padded(chunk.size);
    }
    return w.finish();
}

} // namespace

RepairResult repair(ByteSource& source, ByteSink& sink) {
    RepairResult result;
    CopyAhead ahead(source, sink);
    Analysis a = analyse(source, true);
    if (a.report.state == VideoState::Unreadable) {
        result.reason = a.failure;
        return result;
    }
    result.frames = a.report.frames;
    Writer w(source, sink, ahead, result);
    bool done;
    if (a.sound) {
        result.wasSound = true;
        done = copyWithRiff(source, w);
    } else {
        done = writeRepaired(a, source, w);
    }
    if (!done)
        return result;
    result.written = true;
    if (a.header.signature != Signature::Riff)
        result.fixed.push_back("signature RIFF");
    result.fixed.insert(result.fixed.end(), a.fixes.begin(), a.fixes.end());
    return result;
}

RepairResult soundCopyResult(const VideoReport& report) {
    RepairResult result;
    result.written = true;
    result.wasSound = true;
    result.frames = report.frames;
    if (report.signature != Signature::Riff)
        result.fixed.push_back("signature RIFF");
    return result;
}

} // namespace kovra::avi
