#include "clips/clip_job.h"

#include <memory>

#include "clips/clip_writing.h"
#include "clips/range_sources.h"
#include "device/file_paths.h"
#include "device/video_copy.h"
#include "device/video_finder.h"

namespace kovra::clips {

namespace {

constexpr std::int64_t kToItsEnd = avi::SourceSpan().toMs;

// Reads each of paths once, in order; false at the first that fails.
bool readAll(Platform& platform, const std::vector<std::string>& paths, TakenVideos& taken,
             ClipFailure& failure) {
    taken.paths = paths;
    for (const std::string& path : paths) {
        OsError error;
        avi::VideoReading reading = readWithChunks(platform, path, error);
        if (!take(platform, taken, path, std::move(reading), error, failure))
            return false;
    }
    return true;
}

} // namespace

RangeCandidates findRangeCandidates(Platform& platform, const std::string& folder) {
    RangeCandidates candidates;
    FoundVideos found = findVideos(platform, folder);
    for (const PassedOverEntry& entry : found.passedOver)
        if (entry.why == PassedOver::NotAFile || entry.why == PassedOver::Unlisted)
            candidates.unreadable.push_back(joinPath(folder, entry.relative));
    for (const std::string& relative : found.videos)
        candidates.paths.push_back(joinPath(folder, relative));
    return candidates;
}

namespace {

// Whether the candidates allow a clip of the range as chosen; failure set, and a warning for a
// range the recordings do not hold, otherwise.
bool chosenWell(const RangeCandidates& candidates, const RangeSources& sources,
                ClipOutcome& outcome) {
    ClipFailure& failure = outcome.failure;
    if (sources.needsFailed()) {
        failure.kind = ClipFailureKind::CandidateUnreadable;
        failure.path = sources.failed.front().path;
        failure.error = sources.failed.front().error;
        return false;
    }
    if (!candidates.unreadable.empty() && !(sources.held && sources.held->whole)) {
        failure.kind = ClipFailureKind::CandidateNotAFile;
        failure.path = candidates.unreadable.front();
        return false;
    }
    if (sources.selection.refusal != SelectionRefusal::None) {
        failure.kind = ClipFailureKind::NotCovered;
        return false;
    }
    if (sources.held->reachesPast)
        outcome.warnings.push_back(
            {ClipWarningKind::ReachesPast, {}, {}, sources.held->from, sources.held->to});
    return true;
}

// The clip of the range into outcome, with the candidates holding back as holdBack says: false,
// with nothing written, where one held back changed the choice the clip was written by.
bool clipChosen(Platform& platform, const RangeCandidates& candidates, ClockMillis from,
                ClockMillis to, const std::string& out, HoldBack holdBack, ClipOutcome& outcome) {
    // Chosen by the times `videos` shows, from a glance at each; only those chosen are read
    // whole, each once. One whose whole reading tells another time has the range chosen again.
    std::unique_ptr<PlannedAhead> ahead;
    std::string aheadOf; // the recording ahead copies from
    // The clip's beginning, rest of the recording at path, copied out ahead of the plan; in place
    // of one begun on a guess the choice does not take.
    auto copyAhead = [&](const std::string& path, const avi::VideoReading& reading,
                         avi::SourceSpan rest) {
        ahead.reset();
        rest.source = 0;
        avi::SpanPlan guess = avi::planSpans({&reading}, {rest});
        if (guess.refusal == avi::PlanRefusal::None) {
            ahead = std::make_unique<PlannedAhead>(platform, path, reading, guess.plan, out);
            aheadOf = path;
        }
    };
    // The clip's beginning copied out while the other candidates are read, where the range
    // likely starts in a recording and runs on past it. A wrong guess costs only time: the
    // written plan keeps only what it has of the copy.
    auto beginAhead = [&](const TimedVideo& video, const avi::VideoReading& reading) {
        if (!video.time || video.time->start > from || video.time->end <= from ||
            video.time->end > to || reading.report.state == avi::VideoState::Unreadable)
            return;
        avi::SourceSpan rest;
        rest.fromMs = from - video.time->start;
        copyAhead(video.path, reading, rest);
    };
    RangeSources sources =
        chooseRangeSources(platform, candidates.paths, from, to, beginAhead, holdBack);
    for (bool settled = false; !settled;) {
        outcome.warnings.clear();
        if (!chosenWell(candidates, sources, outcome))
            return takeHeldBack(sources, from, to);
        settled = true;
        const std::vector<avi::SourceSpan>& chosen = sources.selection.spans;
        for (std::size_t i = 0; i < chosen.size() && settled; ++i) {
            const avi::SourceSpan& span = chosen[i];
            settled = readChosenWhole(platform, sources, span.source, from, to);
            if (!settled)
                break; // chosen again: span and the sources' order are no longer
            // The recording the range starts in, when it runs on past it, gives the clip's
            // beginning before the next is read: that is copied out meanwhile.
            const avi::VideoReading* reading = &chosenReading(sources, span.source);
            const std::string& path = sources.timed[span.source].path;
            if (i == 0 && (!ahead || aheadOf != path) && chosen.size() > 1 &&
                span.toMs == kToItsEnd && sources.timed[span.source].time->start <= from &&
                reading->report.state != avi::VideoState::Unreadable)
                copyAhead(path, *reading, span);
        }
        if (!settled)
            ahead.reset(); // begun on a choice since changed
    }
    // The plan numbers its sources from 0, in the order taken.
    const Selection& selection = sources.selection;
    TakenVideos taken;
    std::vector<avi::SourceSpan> spans;
    std::vector<std::size_t> index(sources.timed.size());
    ClipFailure& failure = outcome.failure;
    for (const avi::SourceSpan& span : selection.spans) {
        index[span.source] = taken.paths.size();
        const std::string& path = sources.timed[span.source].path;
        taken.paths.push_back(path);
        if (!take(platform, taken, path, std::move(chosenReading(sources, span.source)),
                  OsError::None, failure))
            return takeHeldBack(sources, from, to);
        taken.times.back() = sources.timed[span.source].time;
        avi::SourceSpan renumbered = span;
        renumbered.source = index[span.source];
        spans.push_back(renumbered);
    }
    std::vector<Gap> gaps;
    for (Gap gap : selection.gaps) {
        gap.before = index[gap.before];
        gap.after = index[gap.after];
        gaps.push_back(gap);
    }
    for (std::size_t overlapping : selection.overlapping)
        outcome.warnings.push_back(
            {ClipWarningKind::Overlapping, sources.timed[overlapping].path, {}, 0, 0});
    // Those held back are most often read by the time the clip is flushed; it is named only if
    // they leave the choice as it was.
    auto keep = [&] { return takeHeldBack(sources, from, to); };
    return writeSpans(platform, out, taken, spans, gaps, ahead.get(), true, outcome, keep) &&
           takeHeldBack(sources, from, to);
}

} // namespace

ClipOutcome clipRange(Platform& platform, const RangeCandidates& candidates, ClockMillis from,
                      ClockMillis to, const std::string& out) {
    ClipOutcome outcome;
    if (clipChosen(platform, candidates, from, to, out, HoldBack::Likely, outcome))
        return outcome;
    // A recording guessed to lie outside the range did not: the clip is made again, every
    // candidate read before the choice. The guess cost time, never a byte of the clip.
    outcome = ClipOutcome();
    clipChosen(platform, candidates, from, to, out, HoldBack::None, outcome);
    return outcome;
}

ClipOutcome clipPart(Platform& platform, const std::string& video, const avi::SourceSpan& span,
                     const std::string& out) {
    ClipOutcome outcome;
    TakenVideos taken;
    if (readAll(platform, {video}, taken, outcome.failure))
        writeSpans(platform, out, taken, {span}, {}, nullptr, true, outcome);
    return outcome;
}

ClipOutcome joinVideos(Platform& platform, const std::vector<std::string>& videos,
                       const std::string& out) {
    ClipOutcome outcome;
    TakenVideos taken;
    if (!readAll(platform, videos, taken, outcome.failure))
        return outcome;
    std::vector<avi::SourceSpan> spans;
    std::vector<RecordingTime> times;
    bool allTimed = true;
    for (std::size_t i = 0; i < taken.paths.size(); ++i) {
        avi::SourceSpan span;
        span.source = i;
        spans.push_back(span);
        allTimed = allTimed && taken.times[i].has_value();
        if (taken.times[i])
            times.push_back(*taken.times[i]);
    }
    // Joined as given, but a start and end taken from recordings out of time order would
    // say the join runs backwards, or not at all: said instead.
    bool ordered = true;
    for (std::size_t i = 1; allTimed && i < times.size(); ++i)
        if (times[i].start < times[i - 1].start) {
            ordered = false;
            outcome.warnings.push_back(
                {ClipWarningKind::OutOfOrder, taken.paths[i], taken.paths[i - 1], 0, 0});
        }
    writeSpans(platform, out, taken, spans,
               allTimed && ordered ? gapsBetween(times) : std::vector<Gap>{}, nullptr, ordered,
               outcome);
    return outcome;
}

} // namespace kovra::clips
