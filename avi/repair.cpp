#include "avi/repair.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "avi/analysis.h"

namespace kovra::avi {

namespace {

constexpr std::size_t kCopyBufferSize = 1 << 20;

// The copy buffers outlive one repair: an export repairs file after file, and fresh buffers
// would each cost their pages' faults again. They are not cleared, so a repair whose bytes the
// system copies touches only the pages it uses.
std::uint8_t* reusedBuffer(std::size_t which) {
    static thread_local std::unique_ptr<std::uint8_t[]> buffers[2];
    if (!buffers[which])
        buffers[which].reset(new std::uint8_t[kCopyBufferSize]);
    return buffers[which].get();
}

// Collects small writes into whole buffers for the sink.
class Output {
  public:
    explicit Output(ByteSink& sink) : sink_(sink), buffer_(reusedBuffer(0)) {}

    bool write(const void* data, std::size_t n) {
        if (used_ + n > kCopyBufferSize && !flush())
            return false;
        if (n >= kCopyBufferSize)
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
    Writer(ByteSource& source, ByteSink& sink, RepairResult& result)
        : source_(source), sink_(sink), out_(sink), result_(result), window_(reusedBuffer(1)) {}

    // Copies n bytes at from as they are, by the sink itself where it can.
    bool copyAsIs(std::uint64_t from, std::uint64_t n) {
        if (n == 0 || !sink_.copiesFrom(source_))
            return copy(from, n);
        if (!out_.flush())
            return writeFailed();
        return sink_.copyRange(source_, from, n) ||
               stop("the bytes at offset " + std::to_string(from) + " could not be copied");
    }

    // Copies n bytes at from, with the patched words written over them. The source is read a
    // window at a time: the chunks come in file order, so one read serves many of them.
    bool copy(std::uint64_t from, std::uint64_t n, const std::vector<Patch>& patches = {}) {
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
            std::uint8_t* bytes = window_ + at;
            // Patches fall in the header, which is copied once; the window is not read again there.
            for (const Patch& patch : patches)
                for (std::uint64_t i = 0; i < sizeof patch.value; ++i)
                    if (patch.offset + i >= from && patch.offset + i < from + block)
                        bytes[patch.offset + i - from] =
                            static_cast<std::uint8_t>(patch.value >> (8 * i));
            if (!out_.write(bytes, block))
                return writeFailed();
            from += block;
            n -= block;
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
    Output out_;
    RepairResult& result_;
    std::uint8_t* window_;
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
};

// The header as it was, with every size and count made to match what is written after it.
std::vector<Patch> headerPatches(const Analysis& a) {
    const AviHeader& h = a.header;
    std::vector<Patch> patches = {
        {0, kRiff},
        {kSizeFieldOffset, static_cast<std::uint32_t>(a.report.repairedSize - kChunkHeaderSize)},
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
    if (chunk.flagsKnown)
        return chunk.flags;
    return firstVideo ? kIndexKeyFrame : 0;
}

constexpr std::uint8_t kPad = 0;
constexpr std::uint64_t kSignatureSize = 4;

bool copyWithRiff(ByteSource& source, Writer& w) {
    return w.writeLe32(kRiff) && w.copyAsIs(kSignatureSize, source.size() - kSignatureSize) &&
           w.finish();
}

// Chunks an index listed: only a sample of their headers was read, so each is written from
// what the index says, around its payload.
bool writeIndexedChunks(const Analysis& a, Writer& w) {
    for (const DataChunk& chunk : a.chunks) {
        if (!w.writeLe32(makeDataId(chunk.stream, chunk.kind)) || !w.writeLe32(chunk.size) ||
            !w.copy(chunk.offset + kChunkHeaderSize, chunk.size) ||
            ((chunk.size & 1) && !w.write(&kPad, 1)))
            return false;
    }
    return true;
}

// Chunks the walk read where they lie: their bytes, header and pad byte included, go over as
// they are, neighbours as one run. A pad byte the file's end cut off is written.
bool writeWalkedChunks(const Analysis& a, ByteSource& source, Writer& w) {
    std::uint64_t runStart = 0, runEnd = 0;
    for (const DataChunk& chunk : a.chunks) {
        if (chunk.offset != runEnd) {
            if (!w.copyAsIs(runStart, runEnd - runStart))
                return false;
            runStart = chunk.offset;
        }
        runEnd = chunk.offset + kChunkHeaderSize + padded(chunk.size);
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
    if (!w.copy(0, h.moviList, headerPatches(a)))
        return false;
    std::uint64_t moviSize = kFourccSize + a.tally.writtenBytes;
    if (!w.writeLe32(kList) || !w.writeLe32(static_cast<std::uint32_t>(moviSize)) ||
        !w.writeLe32(kMovi))
        return false;
    if (!(a.chunksFromIndex ? writeIndexedChunks(a, w) : writeWalkedChunks(a, source, w)))
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
    Analysis a = analyse(source, true);
    if (a.report.state == VideoState::Unreadable) {
        result.reason = a.failure;
        return result;
    }
    result.frames = a.report.frames;
    Writer w(source, sink, result);
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
