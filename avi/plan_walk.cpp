#include "avi/plan_walk.h"

namespace kovra::avi {

namespace {

enum Phase { kHead, kRangeStart, kInRange, kTail, kDone };

bool readable(const std::vector<const VideoReading*>& readings, std::size_t source,
              std::size_t streams) {
    if (source >= readings.size() || !readings[source])
        return false;
    const VideoReading& reading = *readings[source];
    return reading.report.state != VideoState::Unreadable &&
           reading.header.streams.size() == streams;
}

bool partialFits(const std::optional<PartialChunk>& part,
                 const std::vector<const VideoReading*>& readings, std::size_t streams) {
    if (!part)
        return true;
    if (!readable(readings, part->source, streams) ||
        part->chunk >= readings[part->source]->chunks.size())
        return false;
    std::uint32_t size = readings[part->source]->chunks[part->chunk].size;
    return part->size != 0 && part->offset <= size && part->size <= size - part->offset;
}

// The chunks of each stream before chunk `before` of the reading.
std::vector<std::uint64_t> numbersBefore(const VideoReading& reading, std::size_t before) {
    std::vector<std::uint64_t> numbers(reading.header.streams.size());
    for (std::size_t i = 0; i < before; ++i)
        ++numbers[reading.chunks[i].stream];
    return numbers;
}

} // namespace

bool planFits(const Plan& plan, const std::vector<const VideoReading*>& readings) {
    if (readings.empty() || !readings.front())
        return false;
    std::size_t streams = readings.front()->header.streams.size();
    for (const ChunkRange& range : plan.ranges)
        if (!readable(readings, range.source, streams) || range.first > range.last ||
            range.last > readings[range.source]->chunks.size() ||
            (!range.streams.empty() && range.streams.size() != streams))
            return false;
    return partialFits(plan.head, readings, streams) && partialFits(plan.tail, readings, streams);
}

PlanWalk::PlanWalk(const Plan& plan, const std::vector<const VideoReading*>& readings)
    : plan_(plan), readings_(readings) {}

bool PlanWalk::partial(const PartialChunk& part, OutputChunk& out) const {
    const VideoReading& reading = *readings_[part.source];
    out.source = part.source;
    out.reading = &reading;
    out.chunk = &reading.chunks[part.chunk];
    out.offset = part.offset;
    out.size = part.size;
    out.partial = true;
    out.number = numbersBefore(reading, part.chunk)[out.chunk->stream];
    return true;
}

bool PlanWalk::enterRange() {
    while (at_.range < plan_.ranges.size()) {
        const ChunkRange& range = plan_.ranges[at_.range];
        if (range.first < range.last) {
            at_.chunk = range.first;
            at_.numbers = numbersBefore(*readings_[range.source], range.first);
            return true;
        }
        ++at_.range;
    }
    return false;
}

bool PlanWalk::nextInRange(OutputChunk& out) {
    while (true) {
        const ChunkRange& range = plan_.ranges[at_.range];
        if (at_.chunk == range.last) {
            ++at_.range;
            if (!enterRange())
                return false;
            continue;
        }
        const VideoReading& reading = *readings_[range.source];
        const DataChunk& chunk = reading.chunks[at_.chunk++];
        std::uint64_t number = at_.numbers[chunk.stream]++;
        if (!range.streams.empty() &&
            (number < range.streams[chunk.stream].from || number >= range.streams[chunk.stream].to))
            continue;
        lastPhase_ = kInRange;
        lastStream_ = chunk.stream;
        out.source = range.source;
        out.reading = &reading;
        out.chunk = &chunk;
        out.offset = 0;
        out.size = chunk.size;
        out.partial = false;
        out.number = number;
        return true;
    }
}

PlanWalk::Position PlanWalk::beforeLast() const {
    Position before;
    before.phase = lastPhase_;
    if (lastPhase_ == kInRange) {
        before = at_;
        --before.chunk;
        --before.numbers[lastStream_];
    }
    return before;
}

bool PlanWalk::next(OutputChunk& out) {
    switch (at_.phase) {
    case kHead:
        at_.phase = kRangeStart;
        lastPhase_ = kHead;
        if (plan_.head)
            return partial(*plan_.head, out);
        [[fallthrough]];
    case kRangeStart:
        at_.phase = kInRange;
        at_.range = 0;
        if (!enterRange()) {
            at_.phase = kTail;
            return next(out);
        }
        [[fallthrough]];
    case kInRange:
        if (nextInRange(out))
            return true;
        at_.phase = kTail;
        [[fallthrough]];
    case kTail:
        at_.phase = kDone;
        lastPhase_ = kTail;
        if (plan_.tail)
            return partial(*plan_.tail, out);
        [[fallthrough]];
    default:
        return false;
    }
}

} // namespace kovra::avi
