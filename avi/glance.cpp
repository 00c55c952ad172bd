#include "avi/glance.h"

#include <algorithm>

#include "avi/video_reading.h"

namespace kovra::avi {

namespace {

FramePlace placeOf(const DataChunk& chunk, std::uint64_t frame) {
    return {chunk.offset(), makeDataId(chunk.stream, chunk.kind), chunk.size, frame};
}

} // namespace

Glance glance(ByteSource& source, unsigned spread) {
    Glance result;
    VideoReading reading = readVideo(source, Chunks::Keep, ReadingDepth::Glance);
    result.report = std::move(reading.report);
    if (result.report.state == VideoState::Unreadable)
        return result;

    // The video's frames by number; a dropped frame (no bytes) keeps its number.
    std::vector<std::size_t> frames;
    const unsigned video = reading.header.videoStream;
    for (std::size_t i = 0; i < reading.chunks.size(); ++i)
        if (reading.chunks[i].stream == video)
            frames.push_back(i);
    auto frameChunk = [&](std::uint64_t frame) -> const DataChunk& {
        return reading.chunks[frames[static_cast<std::size_t>(frame)]];
    };
    for (std::uint64_t f = 0; f < frames.size() && result.leading.size() < kLeadingFrames; ++f)
        if (frameChunk(f).size != 0)
            result.leading.push_back(placeOf(frameChunk(f), f));

    const std::uint64_t count = frames.size();
    const std::uint64_t parts = std::min<std::uint64_t>({spread, kMostSpreadFrames, count});
    for (std::uint64_t part = 0; part < parts; ++part) {
        // The middle of the part; a dropped frame there gives way to the next one in the part.
        std::uint64_t middle = (2 * part + 1) * count / (2 * parts);
        std::uint64_t end = (part + 1) * count / parts;
        FramePlace place{0, 0, 0, middle};
        for (std::uint64_t f = middle; f < end && place.size == 0; ++f)
            if (frameChunk(f).size != 0)
                place = placeOf(frameChunk(f), f);
        result.spread.push_back(place);
    }
    return result;
}

} // namespace kovra::avi
