#include "clips/range_sources.h"

#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "clips/clip_writing.h"
#include "device/each_on_threads.h"
#include "device/job_behind.h"

namespace kovra::clips {

namespace {

// More threads than a small machine's cores only wait on the storage.
constexpr unsigned kMostReadingThreads = 4;

bool sameTime(const std::optional<RecordingTime>& a, const std::optional<RecordingTime>& b) {
    if (!a || !b)
        return !a && !b;
    return a->start == b->start && a->end == b->end && a->source == b->source;
}

// Sorts the candidates by what their last reading found, and chooses of those with a time.
void choose(RangeSources& sources, ClockMillis from, ClockMillis to) {
    sources.timed.clear();
    sources.failed.clear();
    sources.candidateOf.clear();
    std::vector<RecordingTime> times;
    for (std::size_t i = 0; i < sources.candidates.size(); ++i) {
        const TimedVideo& video = sources.candidates[i].video;
        if (video.error != OsError::None) {
            sources.failed.push_back(video);
        } else if (video.time) {
            // One with no time (a broken header, no video at all) is no part of any range: a
            // gap, said where the clip runs across it.
            times.push_back(*video.time);
            sources.timed.push_back(video);
            sources.candidateOf.push_back(i);
        }
    }
    sources.selection = selectRange(times, from, to);
    sources.held = heldRange(times, sources.selection, from, to);
}

// Of the recordings with no index, which are read whole in any case, the one the range most
// likely starts in, by what their headers and file times tell: the latest IDIT date by from,
// else the earliest file time after it. Only a guess: a wrong one costs time, not bytes.
std::optional<std::size_t> likelyFirst(const std::vector<HeaderLook>& looks, ClockMillis from) {
    std::optional<std::size_t> dated, closed;
    for (std::size_t i = 0; i < looks.size(); ++i) {
        const HeaderLook& look = looks[i];
        if (look.error != OsError::None || look.promise.indexPromised)
            continue;
        if (const std::optional<avi::RecordingDate>& d = look.promise.recorded) {
            ClockMillis start = iditStart(*d);
            if (start <= from && (!dated || start > iditStart(*looks[*dated].promise.recorded)))
                dated = i;
        } else if (look.closed && *look.closed > from &&
                   (!closed || *look.closed < *looks[*closed].closed)) {
            closed = i;
        }
    }
    return dated ? dated : closed;
}

// A candidate's time, from a whole reading where it has no index (its length needs every chunk
// header, and the reading is kept should the range take it), else from a glance. One held
// back keeps no chunks: the clip takes none of it unless the range chosen with it changes,
// and then every candidate is read again.
RangeSources::Candidate readCandidate(Platform& platform, const std::string& path,
                                      const HeaderLook& look, avi::Chunks chunks) {
    // The whole reading, in the reader's windows, costs fewer calls than a glance's hop from
    // header to header.
    OsError error = look.error;
    if (!look.promise.indexPromised && error == OsError::None) {
        avi::VideoReading reading = readWithChunks(platform, path, error, chunks);
        if (error == OsError::None) {
            TimedVideo video = timedVideo(platform, path, reading.report);
            if (chunks != avi::Chunks::Keep)
                return {std::move(video), std::nullopt};
            return {std::move(video), std::move(reading)};
        }
    }
    TimedVideo failed;
    failed.path = path;
    failed.error = error;
    return {error != OsError::None ? failed : glanceTimedVideo(platform, path), std::nullopt};
}

// Of the recordings timed by their file time with no index, those closed after another that was
// closed at or after the range's end: recordings follow one another, so that one most likely
// holds the end, and the later ones start after it. Only a guess, which the choice made again
// with them checks before the clip is named.
std::vector<bool> likelyOutside(const std::vector<HeaderLook>& looks, ClockMillis to,
                                std::optional<std::size_t> first) {
    std::optional<ClockMillis> holdingEnd;
    for (const HeaderLook& look : looks)
        if (look.error == OsError::None && !look.promise.recorded && look.closed &&
            *look.closed >= to && (!holdingEnd || *look.closed < *holdingEnd))
            holdingEnd = look.closed;
    std::vector<bool> outside(looks.size(), false);
    for (std::size_t i = 0; i < looks.size() && holdingEnd; ++i) {
        const HeaderLook& look = looks[i];
        outside[i] = i != first && look.error == OsError::None && !look.promise.indexPromised &&
                     !look.promise.recorded && look.closed && *look.closed > *holdingEnd;
    }
    return outside;
}

// What a choice takes, told by the candidates' paths: the same whatever else is read.
struct ChoiceByPath {
    SelectionRefusal refusal = SelectionRefusal::None;
    std::vector<std::tuple<std::string, std::int64_t, std::int64_t>> spans;
    std::vector<std::tuple<std::string, std::string, std::int64_t>> gaps;
    std::vector<std::string> overlapping, failed;
    std::optional<std::tuple<ClockMillis, ClockMillis, bool, bool>> held;

    explicit ChoiceByPath(const RangeSources& sources) : refusal(sources.selection.refusal) {
        const std::vector<TimedVideo>& timed = sources.timed;
        for (const avi::SourceSpan& span : sources.selection.spans)
            spans.emplace_back(timed[span.source].path, span.fromMs, span.toMs);
        for (const Gap& gap : sources.selection.gaps)
            gaps.emplace_back(timed[gap.before].path, timed[gap.after].path, gap.millis);
        for (std::size_t i : sources.selection.overlapping)
            overlapping.push_back(timed[i].path);
        for (const TimedVideo& video : sources.failed)
            failed.push_back(video.path);
        if (const std::optional<HeldRange>& h = sources.held)
            held.emplace(h->from, h->to, h->reachesPast, h->whole);
    }
    bool operator==(const ChoiceByPath& other) const {
        return refusal == other.refusal && spans == other.spans && gaps == other.gaps &&
               overlapping == other.overlapping && failed == other.failed && held == other.held;
    }
};

} // namespace

// The candidates held back, read into slots of their own, not the sources' until taken.
struct RangeSources::HeldBack {
    std::vector<std::size_t> candidates; // indices into the sources' candidates
    std::vector<Candidate> read;         // of each, once the job is done
    std::unique_ptr<JobBehind> job;      // last: waited for before the slots go
};

RangeSources chooseRangeSources(Platform& platform, const std::vector<std::string>& candidates,
                                ClockMillis from, ClockMillis to, const FirstReading& firstRead,
                                HoldBack holdBack) {
    RangeSources sources;
    // A recording whose header and file time already put it outside the range gives the clip
    // nothing whatever its data says: of a card of loop recordings, most. Its data is not read.
    std::vector<std::string> paths;
    std::vector<HeaderLook> looks;
    for (const std::string& path : candidates) {
        HeaderLook look = lookAtHeader(platform, path);
        if (certainlyOutside(look, from, to))
            continue;
        paths.push_back(path);
        looks.push_back(std::move(look));
    }
    sources.candidates.resize(paths.size());
    auto read = [&](std::size_t i) {
        sources.candidates[i] = readCandidate(platform, paths[i], looks[i], avi::Chunks::Keep);
    };
    // The one the range most likely starts in is read first, and handed over as soon as it is
    // read; the others are read meanwhile, each on its own, on the machine's cores: a walk of
    // a recording in the page cache is the processor's work.
    std::optional<std::size_t> first = likelyFirst(looks, from);
    std::vector<bool> behind(paths.size(), false);
    if (holdBack == HoldBack::Likely)
        behind = likelyOutside(looks, to, first);
    std::vector<std::size_t> order;
    if (first)
        order.push_back(*first);
    auto held = std::make_shared<RangeSources::HeldBack>();
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (behind[i])
            held->candidates.push_back(i);
        else if (i != first)
            order.push_back(i);
    doEachOnThreads(order.size(), kMostReadingThreads, [&](std::size_t k) {
        read(order[k]);
        const RangeSources::Candidate& done = sources.candidates[order[k]];
        if (order[k] == first && firstRead && done.whole)
            firstRead(done.video, *done.whole);
    });
    if (!held->candidates.empty()) {
        // Read once the others are, in the time the clip then spends writing and waiting on
        // the storage. The job has its own copies of what it reads, and its own slots.
        std::vector<std::pair<std::string, HeaderLook>> toRead;
        for (std::size_t i : held->candidates)
            toRead.emplace_back(paths[i], looks[i]);
        held->read.resize(toRead.size());
        RangeSources::HeldBack* slots = held.get();
        held->job = std::make_unique<JobBehind>([&platform, slots, toRead] {
            for (std::size_t k = 0; k < toRead.size(); ++k)
                slots->read[k] = readCandidate(platform, toRead[k].first, toRead[k].second,
                                               avi::Chunks::CountOnly);
        });
        sources.heldBack = std::move(held);
    }
    choose(sources, from, to);
    return sources;
}

bool takeHeldBack(RangeSources& sources, ClockMillis from, ClockMillis to) {
    std::shared_ptr<RangeSources::HeldBack> held = std::move(sources.heldBack);
    if (!held)
        return true;
    held->job->wait();
    ChoiceByPath without(sources);
    for (std::size_t k = 0; k < held->candidates.size(); ++k)
        sources.candidates[held->candidates[k]] = std::move(held->read[k]);
    choose(sources, from, to);
    return ChoiceByPath(sources) == without;
}

bool readChosenWhole(Platform& platform, RangeSources& sources, std::size_t source,
                     ClockMillis from, ClockMillis to) {
    RangeSources::Candidate& candidate = sources.candidates[sources.candidateOf[source]];
    if (candidate.whole)
        return true;
    const std::string path = candidate.video.path;
    OsError error;
    avi::VideoReading reading = readWithChunks(platform, path, error);
    TimedVideo read;
    if (error != OsError::None) {
        read.path = path;
        read.error = error;
    } else {
        read = timedVideo(platform, path, reading.report);
    }
    bool agrees = error == OsError::None && sameTime(read.time, candidate.video.time);
    candidate.video = std::move(read);
    if (error == OsError::None)
        candidate.whole = std::move(reading);
    if (!agrees)
        choose(sources, from, to);
    return agrees;
}

avi::VideoReading& chosenReading(RangeSources& sources, std::size_t source) {
    return *sources.candidates[sources.candidateOf[source]].whole;
}

} // namespace kovra::clips
