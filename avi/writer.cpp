#include "avi/writer.h"

#include <algorithm>
#include <string>

#include "avi/open_dml.h"
#include "avi/output_layout.h"
#include "avi/output_pieces.h"
#include "avi/plan_walk.h"
#include "avi/write_steps.h"

namespace kovra::avi {

namespace {

// The header as it was, with every size and count made to match what is written after it,
// movi's size among them ("LIST" and "movi" are there already: that is how movi was found).
std::vector<Patch> headerPatches(const AviHeader& h, const OutputLayout& layout) {
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
    addVideoClock(patches, h, h.streams[h.videoStream].strhPayload);
    for (std::uint64_t offset : h.openDmlHeaders)
        patches.push_back({offset, kJunk});
    return patches;
}

// One RIFF: source 0's header in place, the chunks, a fresh idx1.
bool writeOneRiff(OutputPieces& out, PlanWalk& walk, const AviHeader& header,
                  const OutputLayout& layout) {
    if (!out.from(0, 0, header.moviList + kListHeaderSize))
        return false;
    const PlanWalk::Position start = walk.position();
    for (OutputChunk c; walk.next(c);)
        if (!writeChunk(out, c))
            return false;
    if (!out.le32(kIdx1) ||
        !out.le32(static_cast<std::uint32_t>(layout.tally.chunks * kIndexEntrySize)))
        return false;
    walk.seek(start);
    KeyFrames keys(true);
    return forEachIndexed(
        walk, layout.tally.chunks, keys, [&](const OutputChunk& c, std::uint64_t offset, bool key) {
            return out.le32(makeDataId(c.stream(), c.chunk->kind)) &&
                   out.le32(key ? kIndexKeyFrame : 0) &&
                   out.le32(static_cast<std::uint32_t>(offset)) && out.le32(c.size);
        });
}

// Sample frames of the first sound stream, as its strh length counts them.
std::uint64_t soundSamples(const AviHeader& header, const Tally& tally) {
    for (std::size_t i = 0; i < header.streams.size(); ++i)
        if (header.streams[i].type == kAuds)
            return strhLength(header.streams[i], tally.streams[i]);
    return 0;
}

// The date the plan gives over the IDIT chunk's text, NULs after it, where there is one.
bool writeRecorded(OutputSink& sink, const Plan& plan, const AviHeader& header,
                   std::uint64_t iditAt) {
    constexpr std::size_t kMostDateBytes = 64;
    if (!plan.recorded || header.idit.size == 0 || iditAt == 0)
        return true;
    std::size_t room = std::min<std::size_t>(header.idit.size, kMostDateBytes);
    std::string text = recordingDateText(*plan.recorded, room);
    if (text.empty())
        return true;
    text.resize(room, '\0');
    return sink.overwrite(iditAt + kChunkHeaderSize, text.data(), text.size());
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
    outcome.samples = soundSamples(reading.header, reading.tally);
    outcome.riffParts = 1;
    return outcome;
}

} // namespace

WriteOutcome writePlan(const Plan& plan, const std::vector<const VideoReading*>& readings,
                       OutputSink& sink) {
    WriteOutcome outcome;
    if (readings.empty() || !readings.front())
        return outcome;
    if (plan.asIs)
        return writeAsIs(*readings.front(), sink);
    OutputLayout layout;
    if (!layOut(plan, readings, layout))
        return outcome;
    const AviHeader& header = readings.front()->header;
    OutputPieces out(sink);
    PlanWalk walk(plan, readings);
    std::vector<Patch> patches;
    // The one RIFF keeps source 0's header where it was: its IDIT too.
    std::uint64_t iditAt = header.idit.size != 0 ? header.idit.offset : 0;
    bool written = layout.openDml ? writeRebuiltHeader(out, header, layout, patches, iditAt) &&
                                        writeParts(out, walk, header, layout)
                                  : writeOneRiff(out, walk, header, layout);
    if (!layout.openDml)
        patches = headerPatches(header, layout);
    if (!written || !out.flush() || out.size() != layout.size || !overwrite(sink, patches) ||
        !writeRecorded(sink, plan, header, iditAt))
        return outcome;
    outcome.written = true;
    outcome.size = layout.size;
    outcome.frames = layout.frames;
    outcome.samples = soundSamples(header, layout.tally);
    outcome.openDml = layout.openDml;
    outcome.riffParts = layout.openDml ? layout.parts.size() : 1;
    return outcome;
}

WriteOutcome writeRepair(const VideoReading& reading, OutputSink& sink) {
    return writePlan(planWhole(reading), {&reading}, sink);
}

} // namespace kovra::avi
