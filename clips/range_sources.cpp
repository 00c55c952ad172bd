#include "clips/range_sources.h"

#include "clips/clip_writing.h"

namespace kovra::clips {

namespace {

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

} // namespace

RangeSources chooseRangeSources(Platform& platform, const std::vector<std::string>& candidates,
                                ClockMillis from, ClockMillis to) {
    RangeSources sources;
    for (const std::string& path : candidates) {
        // A recording a power cut left with no index is walked for its length whatever reads
        // it: the whole reading, in the reader's windows, costs fewer calls than a glance's hop
        // from header to header, and is kept for the plan should the range take it.
        OsError error = OsError::None;
        if (!indexPromisedAt(platform, path, error) && error == OsError::None) {
            avi::VideoReading reading = readWithChunks(platform, path, error);
            if (error == OsError::None) {
                sources.candidates.push_back(
                    {timedVideo(platform, path, reading.report), std::move(reading)});
                continue;
            }
        }
        TimedVideo failed;
        failed.path = path;
        failed.error = error;
        sources.candidates.push_back(
            {error != OsError::None ? failed : glanceTimedVideo(platform, path), std::nullopt});
    }
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
