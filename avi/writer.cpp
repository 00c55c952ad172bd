#include "avi/writer.h"

#include "avi/output_pieces.h"

namespace kovra::avi {

namespace {

constexpr std::uint8_t kPad = 0;

struct Patch {
    std::uint64_t offset;
    std::uint32_t value;
};

// What the output holds, known before a byte of it is written.
struct Layout {
    Tally tally;
    std::uint64_t frames = 0;
    std::uint64_t moviSize = 0; // from the movi fourcc
    std::uint64_t size = 0;
};

// A range that is the whole of its reading takes the reading's tally; any other is counted.
bool wholeReading(const ChunkRange& range, const VideoReading& reading) {
    return range.first == 0 && range.last == reading.chunks.size() &&
           reading.chunks.size() == reading.tally.chunks;
}

bool layOut(const Plan& plan, const std::vector<const VideoReading*>& readings, Layout& layout) {
    const AviHeader& header = readings.front()->header;
    layout.tally = Tally(header.streams.size());
    for (const ChunkRange& range : plan.ranges) {
        if (range.source >= readings.size() || range.first > range.last)
            return false;
        const VideoReading& reading = *readings[range.source];
        if (reading.report.state == VideoState::Unreadable || range.last > reading.chunks.size() ||
            reading.header.streams.size() != header.streams.size())
            return false;
        if (wholeReading(range, reading)) {
            layout.tally.add(reading.tally);
            continue;
        }
        for (std::size_t i = range.first; i < range.last; ++i)
            layout.tally.add(reading.chunks[i].stream, reading.chunks[i].size);
    }
    layout.frames = layout.tally.streams[header.videoStream].chunks;
    layout.moviSize = kFourccSize + layout.tally.writtenBytes;
    layout.size = header.moviList + kChunkHeaderSize + layout.moviSize + kChunkHeaderSize +
                  layout.tally.chunks * kIndexEntrySize;
    return layout.frames != 0 && layout.size <= kMaxOutputSize;
}

// The header as it was, with every size and count made to match what is written after it,
// movi's size among them ("LIST" and "movi" are there already: that is how movi was found).
std::vector<Patch> headerPatches(const AviHeader& h, const Layout& layout) {
    std::vector<Patch> patches = {
        {0, kRiff},
        {kSizeFieldOffset, static_cast<std::uint32_t>(layout.size - kChunkHeaderSize)},
        {h.moviList + kSizeFieldOffset, static_cast<std::uint32_t>(layout.moviSize)},
        {h.avihPayload + kAvihFlags, h.flags | kAvifHasIndex},
        {h.avihPayload + kAvihTotalFrames, static_cast<std::uint32_t>(layout.frames)},
        {h.avihPayload + kAvihStreams, static_cast<std::uint32_t>(h.streams.size())},
        {h.avihPayload + kAvihSuggestedBuffer, layout.tally.largest},
    };
    for (std::size_t i = 0; i < h.streams.size(); ++i) {
        const StreamHeader& stream = h.streams[i];
        const StreamTally& tally = layout.tally.streams[i];
        patches.push_back({stream.strhPayload + kStrhLength,
                           static_cast<std::uint32_t>(strhLength(stream, tally))});
        patches.push_back({stream.strhPayload + kStrhSuggestedBuffer, tally.largest});
    }
    for (std::uint64_t offset : h.openDmlHeaders)
        patches.push_back({offset, kJunk});
    return patches;
}

bool overwrite(OutputSink& sink, const std::vector<Patch>& patches) {
    for (const Patch& patch : patches) {
        std::uint8_t b[sizeof patch.value];
        putLe32(b, patch.value);
        if (!sink.overwrite(patch.offset, b, sizeof b))
            return false;
    }
    return true;
}

// Every audio chunk is a key frame, and so is every frame of an intra-only codec. Otherwise
// the old index's flags hold where it listed the chunk; a chunk it did not list is flagged
// only when it is the first video frame, which a player must be able to start from.
std::uint32_t indexFlags(const VideoReading& reading, const DataChunk& chunk, bool firstVideo) {
    if (chunk.stream != reading.header.videoStream || reading.intraOnly)
        return kIndexKeyFrame;
    if (chunk.flagsKnown())
        return chunk.flags();
    return firstVideo ? kIndexKeyFrame : 0;
}

// A chunk an index listed is written from what the index says around its payload. One the
// walk found goes over as it lies, header and pad byte included, so that neighbours make one
// piece; a pad byte the source lacks is written.
bool writeChunk(OutputPieces& out, std::size_t source, const VideoReading& reading,
                const DataChunk& chunk) {
    std::uint64_t payload = chunk.offset() + kChunkHeaderSize;
    bool odd = (chunk.size & 1) != 0;
    if (reading.chunksFromIndex)
        return out.le32(makeDataId(chunk.stream, chunk.kind)) && out.le32(chunk.size) &&
               out.from(source, payload, chunk.size) && (!odd || out.bytes(&kPad, 1));
    if (!out.from(source, chunk.offset(), kChunkHeaderSize + std::uint64_t{chunk.size}))
        return false;
    if (!odd)
        return true;
    std::uint64_t pad = payload + chunk.size;
    return !chunk.padMissing() && pad < reading.size ? out.from(source, pad, 1)
                                                     : out.bytes(&kPad, 1);
}

bool writeIndex(OutputPieces& out, const Plan& plan,
                const std::vector<const VideoReading*>& readings, std::uint64_t entries) {
    if (!out.le32(kIdx1) || !out.le32(static_cast<std::uint32_t>(entries * kIndexEntrySize)))
        return false;
    std::uint64_t offset = kFourccSize; // from the movi fourcc
    bool firstVideo = true;
    for (const ChunkRange& range : plan.ranges) {
        const VideoReading& reading = *readings[range.source];
        for (std::size_t i = range.first; i < range.last; ++i) {
            const DataChunk& chunk = reading.chunks[i];
            bool video = chunk.stream == reading.header.videoStream;
            if (!out.le32(makeDataId(chunk.stream, chunk.kind)) ||
                !out.le32(indexFlags(reading, chunk, video && firstVideo)) ||
                !out.le32(static_cast<std::uint32_t>(offset)) || !out.le32(chunk.size))
                return false;
            firstVideo = firstVideo && !video;
            offset += kChunkHeaderSize + padded(chunk.size);
        }
    }
    return true;
}

WriteOutcome writeAsIs(const VideoReading& reading, OutputSink& sink) {
    WriteOutcome outcome;
    std::uint8_t riff[kFourccSize];
    putLe32(riff, kRiff);
    if (reading.report.state != VideoState::Ok || !sink.appendFrom(0, 0, reading.size) ||
        (reading.header.signature != Signature::Riff && !sink.overwrite(0, riff, sizeof riff)))
        return outcome;
    outcome.written = true;
    outcome.size = reading.size;
    outcome.frames = reading.report.frames;
    return outcome;
}

} // namespace

WriteOutcome writePlan(const Plan& plan, const std::vector<const VideoReading*>& readings,
                       OutputSink& sink) {
    WriteOutcome outcome;
    if (readings.empty())
        return outcome;
    if (plan.asIs)
        return writeAsIs(*readings.front(), sink);
    Layout layout;
    if (!layOut(plan, readings, layout))
        return outcome;
    const AviHeader& header = readings.front()->header;
    OutputPieces out(sink);
    if (!out.from(0, 0, header.moviList + kListHeaderSize))
        return outcome;
    for (const ChunkRange& range : plan.ranges) {
        const VideoReading& reading = *readings[range.source];
        for (std::size_t i = range.first; i < range.last; ++i)
            if (!writeChunk(out, range.source, reading, reading.chunks[i]))
                return outcome;
    }
    if (!writeIndex(out, plan, readings, layout.tally.chunks) || !out.flush() ||
        out.size() != layout.size || !overwrite(sink, headerPatches(header, layout)))
        return outcome;
    outcome.written = true;
    outcome.size = layout.size;
    outcome.frames = layout.frames;
    return outcome;
}

WriteOutcome writeRepair(const VideoReading& reading, OutputSink& sink) {
    return writePlan(planWhole(reading), {&reading}, sink);
}

} // namespace kovra::avi
