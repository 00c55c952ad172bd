// The parts of an OpenDML output: each RIFF's movi with its chunks and its standard indexes,
// and the first RIFF's idx1, which lists only its own chunks.
#include "avi/open_dml.h"

namespace kovra::avi {

namespace {

FourCC standardIndexId(std::size_t stream) {
    return makeFourcc("ix00") + static_cast<FourCC>(stream / 10 << 16) +
           static_cast<FourCC>(stream % 10 << 24);
}

bool standardIndex(OutputPieces& out, PlanWalk& walk, const OutputLayout& layout,
                   const RiffPart& part, std::size_t s) {
    std::uint64_t entries = part.tally.streams[s].chunks;
    std::uint8_t head[kStandardIndexHeaderSize] = {};
    putLe16(head, kStandardIndexLongs);
    head[3] = kIndexOfChunks;
    putLe32(head + 4, static_cast<std::uint32_t>(entries));
    putLe32(head + 8, makeDataId(static_cast<unsigned>(s), layout.kinds[s]));
    putLe64(head + 12, part.moviFourcc);
    if (!out.le32(standardIndexId(s)) ||
        !out.le32(static_cast<std::uint32_t>(kStandardIndexHeaderSize +
                                             entries * kStandardIndexEntrySize)) ||
        !out.bytes(head, sizeof head))
        return false;
    walk.seek(part.start);
    KeyFrames keys(&part == &layout.parts.front());
    return forEachIndexed(
        walk, part.tally.chunks, keys, [&](const OutputChunk& c, std::uint64_t offset, bool key) {
            if (c.stream() != s)
                return true;
            return out.le32(static_cast<std::uint32_t>(offset + kChunkHeaderSize)) &&
                   out.le32(c.size | (key ? 0 : kNotKeyFrame));
        });
}

bool idx1(OutputPieces& out, PlanWalk& walk, const RiffPart& part) {
    if (!out.le32(kIdx1) ||
        !out.le32(static_cast<std::uint32_t>(part.tally.chunks * kIndexEntrySize)))
        return false;
    walk.seek(part.start);
    KeyFrames keys(true);
    return forEachIndexed(
        walk, part.tally.chunks, keys, [&](const OutputChunk& c, std::uint64_t offset, bool key) {
            return out.le32(makeDataId(c.stream(), c.chunk->kind)) &&
                   out.le32(key ? kIndexKeyFrame : 0) &&
                   out.le32(static_cast<std::uint32_t>(offset)) && out.le32(c.size);
        });
}

} // namespace

bool writeParts(OutputPieces& out, PlanWalk& walk, const AviHeader& header,
                const OutputLayout& layout) {
    for (const RiffPart& part : layout.parts) {
        bool first = &part == &layout.parts.front();
        if (!first && (!out.le32(kRiff) || !out.le32(part.riffSize) || !out.le32(kAvixForm)))
            return false;
        if (!out.le32(kList) || !out.le32(part.moviSize) || !out.le32(kMovi))
            return false;
        walk.seek(part.start);
        OutputChunk c;
        for (std::uint64_t i = 0; i < part.tally.chunks; ++i)
            if (!walk.next(c) || !writeChunk(out, c))
                return false;
        for (std::size_t s = 0; s < header.streams.size(); ++s)
            if (!standardIndex(out, walk, layout, part, s))
                return false;
        if (first && !idx1(out, walk, part))
            return false;
    }
    return true;
}

} // namespace kovra::avi
