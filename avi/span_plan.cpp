// planSpans: which chunks of each source a clip or a join takes, decided from the readings'
// chunk lists and clocks alone.
#include <algorithm>
#include <limits>

#include "avi/exact_time.h"
#include "avi/format_match.h"
#include "avi/plan.h"

namespace kovra::avi {

namespace {

constexpr std::size_t kNoChunk = std::numeric_limits<std::size_t>::max();
constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t kNoSpan = std::numeric_limits<std::size_t>::max();
constexpr int kNoStream = -1;

bool usable(const std::vector<const VideoReading*>& readings, std::size_t source) {
    if (source >= readings.size() || !readings[source])
        return false;
    const VideoReading& r = *readings[source];
    return r.report.state != VideoState::Unreadable && r.chunks.size() == r.tally.chunks;
}

// What one sample frame is in a sound chunk: block align bytes (the strh sample size where the
// format gives none); without a sample size each chunk counts as one, never cut.
struct SoundUnits {
    SoundUnits() = default;
    explicit SoundUnits(const StreamHeader& stream)
        : bytes(stream.blockAlign != 0 ? stream.blockAlign : stream.sampleSize),
          cuttable(stream.sampleSize != 0 && bytes != 0) {}
    std::uint64_t of(std::uint32_t size) const { return cuttable ? size / bytes : 1; }

    std::uint64_t bytes = 0;
    bool cuttable = false;
};

// The frames of a source whose start lies in its span, the first moved back to a key frame.
struct Frames {
    bool any = false;
    std::uint64_t first = 0, last = 0; // last included
    std::uint64_t added = 0;           // by the move to a key frame
};

Frames framesIn(const VideoReading& r, const SourceSpan& span) {
    Frames frames;
    const unsigned video = r.header.videoStream;
    const std::uint64_t count = r.tally.streams[video].chunks;
    const Clock clock = videoClock(r.header);
    std::uint64_t from = firstStartingAt(clock, span.fromMs);
    std::uint64_t to = std::min(firstStartingAt(clock, span.toMs), count);
    if (span.toMs <= span.fromMs || from >= to)
        return frames;
    frames.any = true;
    frames.last = to - 1;
    frames.first = from;
    if (r.intraOnly)
        return frames;
    std::uint64_t key = 0, number = 0;
    for (const DataChunk& chunk : r.chunks) {
        if (chunk.stream != video)
            continue;
        if (isKeyFrame(r, chunk, number))
            key = number;
        if (number++ == from)
            break;
    }
    frames.first = key;
    frames.added = from - key;
    return frames;
}

// What a source gives a plan: its range, and a sound chunk cut at the span's start or end.
struct SourcePart {
    ChunkRange range;
    std::optional<PartialChunk> head, tail;
    std::uint64_t samples = 0;
};

// Sound sample frames [soundFrom, soundTo) and frames [first, last] of a source: the chunks
// from the first to the last that holds any, with windows that leave out the rest.
SourcePart partOf(const VideoReading& r, std::size_t source, const Frames& frames,
                  std::uint64_t soundFrom, std::uint64_t soundTo) {
    const AviHeader& h = r.header;
    const int sound = cutSoundStream(h);
    SourcePart part;
    part.range.source = source;
    part.range.streams.resize(h.streams.size());
    part.range.streams[h.videoStream] = {frames.first, frames.last + 1};
    std::size_t first = kNoChunk, last = 0;
    std::vector<std::uint64_t> numbers(h.streams.size());
    std::uint64_t wholeFrom = kAll, wholeTo = 0, samplesBefore = 0;
    const SoundUnits units = sound == kNoStream ? SoundUnits() : SoundUnits(h.streams[sound]);
    auto take = [&](std::size_t i) {
        first = std::min(first, i);
        last = std::max(last, i + 1);
    };
    for (std::size_t i = 0; i < r.chunks.size(); ++i) {
        const DataChunk& chunk = r.chunks[i];
        std::uint64_t number = numbers[chunk.stream]++;
        if (chunk.stream == h.videoStream) {
            if (number >= frames.first && number <= frames.last)
                take(i);
            continue;
        }
        if (static_cast<int>(chunk.stream) != sound)
            continue;
        std::uint64_t start = samplesBefore, n = units.of(chunk.size);
        samplesBefore += n;
        bool whole = n == 0 ? start >= soundFrom && start < soundTo
                            : start >= soundFrom && start + n <= soundTo;
        if (whole) {
            take(i);
            wholeFrom = std::min(wholeFrom, number);
            wholeTo = number + 1;
            part.samples += n;
            continue;
        }
        std::uint64_t cutFrom = std::max(soundFrom, start), cutTo = std::min(soundTo, start + n);
        if (cutFrom >= cutTo)
            continue;
        PartialChunk cut{source, i, static_cast<std::uint32_t>((cutFrom - start) * units.bytes),
                         static_cast<std::uint32_t>((cutTo - cutFrom) * units.bytes)};
        part.samples += cutTo - cutFrom;
        // Cut at its start: the span's first sample is inside it; else only its end is cut.
        (cutFrom > start ? part.head : part.tail) = cut;
    }
    if (sound != kNoStream)
        part.range.streams[sound] =
            wholeFrom == kAll ? StreamWindow{0, 0} : StreamWindow{wholeFrom, wholeTo};
    part.range.first = first == kNoChunk ? 0 : first;
    part.range.last = first == kNoChunk ? 0 : last;
    return part;
}

// Where a source's sound is cut: from its first frame's start for the plan's first span, to
// its last frame's end for the last, else its whole sound.
void soundBounds(const VideoReading& r, const Frames& frames, bool firstSpan, bool lastSpan,
                 std::uint64_t& from, std::uint64_t& to) {
    from = 0;
    to = kAll;
    int sound = cutSoundStream(r.header);
    Clock video = videoClock(r.header);
    if (sound == kNoStream || video.num == 0)
        return; // no sound, or frames with no time: the sound is taken whole
    Clock audio = streamClock(r.header.streams[sound]);
    if (firstSpan)
        from = nearestUnit(video, frames.first, audio);
    if (lastSpan)
        to = nearestUnit(video, frames.last + 1, audio);
}

SpanPlan refused(PlanRefusal why, std::size_t source,
                 FormatDifference difference = FormatDifference::None) {
    SpanPlan plan;
    plan.refusal = why;
    plan.differingSource = source;
    plan.difference = difference;
    return plan;
}

} // namespace

int cutSoundStream(const AviHeader& header) {
    for (std::size_t i = 0; i < header.streams.size(); ++i)
        if (header.streams[i].type == kAuds && header.streams[i].hasWaveFormat)
            return static_cast<int>(i);
    return kNoStream;
}

SpanPlan planSpans(const std::vector<const VideoReading*>& readings,
                   const std::vector<SourceSpan>& spans) {
    for (std::size_t i = 0; i < spans.size(); ++i) {
        std::size_t source = spans[i].source;
        if (!usable(readings, source))
            return refused(PlanRefusal::Unreadable, source);
        if (i == 0)
            continue;
        FormatDifference difference =
            formatDifference(*readings[spans[i - 1].source], *readings[source]);
        if (difference != FormatDifference::None)
            return refused(PlanRefusal::FormatsDiffer, source, difference);
    }
    std::vector<Frames> frames;
    std::size_t firstGiving = kNoSpan, lastGiving = 0;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        frames.push_back(framesIn(*readings[spans[i].source], spans[i]));
        if (frames.back().any) {
            firstGiving = std::min(firstGiving, i);
            lastGiving = i;
        }
    }
    if (firstGiving == kNoSpan)
        return refused(PlanRefusal::NothingInRange, 0);

    SpanPlan result;
    for (std::size_t i = firstGiving; i <= lastGiving; ++i) {
        if (!frames[i].any)
            continue;
        const VideoReading& r = *readings[spans[i].source];
        std::uint64_t from, to;
        // A span that runs to its source's end (a join's, a clip's past the last recording)
        // takes the sound to that end too, as it takes every frame there.
        bool runsToEnd = spans[i].toMs == std::numeric_limits<std::int64_t>::max();
        soundBounds(r, frames[i], i == firstGiving, i == lastGiving && !runsToEnd, from, to);
        SourcePart part = partOf(r, spans[i].source, frames[i], from, to);
        if (i == firstGiving)
            result.plan.head = part.head;
        if (i == lastGiving)
            result.plan.tail = part.tail;
        result.plan.ranges.push_back(part.range);
        result.framesBeforeStart += frames[i].added;
        result.taken.push_back({spans[i].source, frames[i].first, frames[i].last,
                                frames[i].last - frames[i].first + 1, part.samples});
    }
    return result;
}

} // namespace kovra::avi
