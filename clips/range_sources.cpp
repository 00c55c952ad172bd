#include "clips/range_sources.h"

#include "clips/clip_writing.h"
#include "device/each_on_threads.h"

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

} // namespace

RangeSources chooseRangeSources(Platform& platform, const std::vector<std::string>& candidates,
                                ClockMillis from, ClockMillis to, const FirstReading& firstRead) {
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
        const std::string& path = paths[i];
        RangeSources::Candidate& candidate = sources.candidates[i];
        // A recording a power cut left with no index is walked for its length whatever reads
        // it: the whole reading, in the reader's windows, costs fewer calls than a glance's hop
        // from header to header, and is kept for the plan should the range take it.
        OsError error = looks[i].error;
        if (!looks[i].promise.indexPromised && error == OsError::None) {
            avi::VideoReading reading = readWithChunks(platform, path, error);
            if (error == OsError::None) {
                candidate = {timedVideo(platform, path, reading.report), std::move(reading)};
                return;
            }
        }
        TimedVideo failed;
        failed.path = path;
        failed.error = error;
        candidate = {error != OsError::None ? failed : glanceTimedVideo(platform, path),
                     std::nullopt};
    };
    // The one the range most likely starts in is read first, and handed over; the others are
    // read each on its own, on the machine's cores: a walk of a recording in the page cache is
    // the processor's work, a few thousand calls to the system.
    std::optional<std::size_t> first = likelyFirst(looks, from);
    if (first) {
        read(*first);
        const RangeSources::Candidate& guessed = sources.candidates[*first];
        if (firstRead && guessed.whole)
            firstRead(guessed.video, *guessed.whole);
    }
    std::vector<std::size_t> rest;
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (i != first)
            rest.push_back(i);
    doEachOnThreads(rest.size(), kMostReadingThreads, [&](std::size_t k) { read(rest[k]); });
    choose(sources, from, to);
    return sources;
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
