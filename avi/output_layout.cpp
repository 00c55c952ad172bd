#include "avi/output_layout.h"

#include <algorithm>

#include "avi/open_dml.h"

namespace kovra::avi {

namespace {

constexpr std::uint64_t kMaxSizeField = 0xFFFFFFFFull;
// A standard index marks a chunk that is no key frame in its size's top bit.
constexpr std::uint32_t kMaxIndexedSize = 0x7FFFFFFFu;

// A repair's one range over the whole of its reading takes the reading's own tally, whose
// largest sizes may count a frame taken back after the walk: what a repair always wrote.
bool wholeReadingOnly(const Plan& plan, const std::vector<const VideoReading*>& readings) {
    if (plan.head || plan.tail || plan.ranges.size() != 1)
        return false;
    const ChunkRange& range = plan.ranges.front();
    const VideoReading& reading = *readings[range.source];
    return range.first == 0 && range.last == reading.chunks.size() && range.streams.empty() &&
           reading.chunks.size() == reading.tally.chunks;
}

Tally tallyOf(const Plan& plan, const std::vector<const VideoReading*>& readings) {
    if (wholeReadingOnly(plan, readings))
        return readings[plan.ranges.front().source]->tally;
    Tally tally(readings.front()->header.streams.size());
    PlanWalk walk(plan, readings);
    for (OutputChunk c; walk.next(c);)
        tally.add(c.stream(), c.size);
    return tally;
}

std::vector<DataKind> defaultKinds(const AviHeader& header) {
    std::vector<DataKind> kinds;
    for (const StreamHeader& stream : header.streams)
        kinds.push_back(stream.type == kAuds ? DataKind::Wave : DataKind::Compressed);
    return kinds;
}

struct Splitter {
    const AviHeader& header;
    std::uint64_t headerBytes;
    std::uint64_t limit;

    std::uint64_t streams() const { return header.streams.size(); }
    std::uint64_t indexBytes(std::uint64_t chunks) const {
        return streams() * (kChunkHeaderSize + kStandardIndexHeaderSize) +
               chunks * kStandardIndexEntrySize;
    }
    // The whole RIFF, its own header included, holding so many chunks of so many bytes.
    std::uint64_t riffBytes(bool first, std::uint64_t chunks, std::uint64_t data) const {
        std::uint64_t fixed = first ? kListHeaderSize + headerBytes + kListHeaderSize +
                                          kChunkHeaderSize + chunks * kIndexEntrySize
                                    : 2 * kListHeaderSize;
        return fixed + data + indexBytes(chunks);
    }

    // Each part takes chunks while the RIFF stays within the limit, and at least one.
    bool split(const Plan& plan, const std::vector<const VideoReading*>& readings,
               OutputLayout& layout) const {
        layout.parts.clear();
        layout.kinds = defaultKinds(header);
        std::vector<bool> kindSeen(streams());
        PlanWalk walk(plan, readings);
        RiffPart part{walk.position(), Tally(streams())};
        for (OutputChunk c; walk.next(c);) {
            if (c.size > kMaxIndexedSize)
                return false;
            std::uint64_t data = part.tally.writtenBytes + kChunkHeaderSize + padded(c.size);
            if (part.tally.chunks != 0 &&
                riffBytes(layout.parts.empty(), part.tally.chunks + 1, data) > limit) {
                layout.parts.push_back(std::move(part));
                part = RiffPart{walk.beforeLast(), Tally(streams())};
            }
            part.tally.add(c.stream(), c.size);
            if (!kindSeen[c.stream()]) {
                kindSeen[c.stream()] = true;
                layout.kinds[c.stream()] = c.chunk->kind;
            }
        }
        layout.parts.push_back(std::move(part));
        return true;
    }

    // Where each part lies, once split; false where a size field cannot hold it.
    bool place(OutputLayout& layout) const {
        std::uint64_t offset = 0;
        for (RiffPart& part : layout.parts) {
            bool first = &part == &layout.parts.front();
            std::uint64_t before = first ? kListHeaderSize + headerBytes : kListHeaderSize;
            std::uint64_t movi =
                kFourccSize + part.tally.writtenBytes + indexBytes(part.tally.chunks);
            std::uint64_t riff =
                riffBytes(first, part.tally.chunks, part.tally.writtenBytes) - kChunkHeaderSize;
            if (movi > kMaxSizeField || riff > kMaxSizeField)
                return false;
            part.offset = offset;
            part.moviFourcc = offset + before + kChunkHeaderSize;
            part.moviSize = static_cast<std::uint32_t>(movi);
            part.riffSize = static_cast<std::uint32_t>(riff);
            offset += kChunkHeaderSize + riff;
        }
        layout.size = offset;
        return true;
    }
};

// The super index's room depends on how many parts there are, and the first part's room on
// the header: the parts are counted again with room for as many as the last count found,
// until it holds them all. More room only ever moves chunks later, so this ends.
bool layOutOpenDml(const Plan& plan, const std::vector<const VideoReading*>& readings,
                   std::uint64_t limit, OutputLayout& layout) {
    const AviHeader& header = readings.front()->header;
    for (std::uint64_t parts = 1;;) {
        Splitter splitter{header, rebuiltHeaderSize(header, parts), limit};
        if (!splitter.split(plan, readings, layout))
            return false;
        if (layout.parts.size() <= parts) {
            layout.openDml = true;
            layout.superEntries = parts;
            layout.headerBytes = splitter.headerBytes;
            return splitter.place(layout);
        }
        parts = layout.parts.size();
    }
}

} // namespace

bool layOut(const Plan& plan, const std::vector<const VideoReading*>& readings,
            OutputLayout& layout) {
    if (!planFits(plan, readings))
        return false;
    const AviHeader& header = readings.front()->header;
    layout.tally = tallyOf(plan, readings);
    layout.frames = layout.tally.streams[header.videoStream].chunks;
    if (layout.frames == 0)
        return false;
    layout.moviSize = kFourccSize + layout.tally.writtenBytes;
    layout.size = header.moviList + kChunkHeaderSize + layout.moviSize + kChunkHeaderSize +
                  layout.tally.chunks * kIndexEntrySize;
    std::uint64_t limit = std::min(plan.singleRiffUpTo, kMaxOutputSize);
    if (layout.size <= limit)
        return true;
    return layOutOpenDml(plan, readings, limit, layout);
}

} // namespace kovra::avi
