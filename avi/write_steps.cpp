#include "avi/write_steps.h"

#include "avi/exact_time.h"

namespace kovra::avi {

namespace {

constexpr std::uint8_t kPad = 0;

} // namespace

bool overwrite(OutputSink& sink, const std::vector<Patch>& patches) {
    for (const Patch& patch : patches) {
        std::uint8_t b[sizeof patch.value];
        putLe32(b, patch.value);
        if (!sink.overwrite(patch.offset, b, sizeof b))
            return false;
    }
    return true;
}

void addVideoClock(std::vector<Patch>& patches, const AviHeader& header,
                   std::uint64_t strhPayload) {
    // Both words are avih's microseconds and a million, well within 32 bits.
    Clock clock = rewrittenVideoClock(header);
    if (clock.num == 0)
        return;
    patches.push_back({strhPayload + kStrhScale, static_cast<std::uint32_t>(clock.num)});
    patches.push_back({strhPayload + kStrhRate, static_cast<std::uint32_t>(clock.den)});
}

bool KeyFrames::next(const OutputChunk& c) {
    if (!c.video())
        return true;
    bool first = firstVideo_;
    firstVideo_ = false;
    return first || isKeyFrame(*c.reading, *c.chunk, c.number);
}

// A part of a chunk gets a header of its own. A whole chunk goes over as it lies, header
// included, so that neighbours make one piece: an index's chunk headers were each checked to
// be what it lists. Its pad byte is copied where a walk found it, else written.
bool writeChunk(OutputPieces& out, const OutputChunk& c) {
    const DataChunk& chunk = *c.chunk;
    std::uint64_t payload = chunk.offset() + kChunkHeaderSize;
    bool odd = (c.size & 1) != 0;
    if (c.partial)
        return out.le32(makeDataId(chunk.stream, chunk.kind)) && out.le32(c.size) &&
               out.from(c.source, payload + c.offset, c.size) && (!odd || out.bytes(&kPad, 1));
    if (!out.from(c.source, chunk.offset(), kChunkHeaderSize + std::uint64_t{chunk.size}))
        return false;
    if (!odd)
        return true;
    std::uint64_t pad = payload + chunk.size;
    bool padThere = !c.reading->chunksFromIndex && !chunk.padMissing() && pad < c.reading->size;
    return padThere ? out.from(c.source, pad, 1) : out.bytes(&kPad, 1);
}

} // namespace kovra::avi
