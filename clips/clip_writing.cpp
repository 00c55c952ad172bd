#include "clips/clip_writing.h"

#include "clips/timed_video.h"
#include "device/video_files.h"

namespace kovra::clips {

namespace {

// Milliseconds from a video's first frame to the start of this one.
std::int64_t frameMillis(double fps, std::uint64_t frame) {
    return fps > 0 ? static_cast<std::int64_t>(static_cast<double>(frame) * 1000 / fps) : 0;
}

} // namespace

avi::VideoReading readWithChunks(Platform& platform, const std::string& path, OsError& error,
                                 avi::Chunks chunks) {
    VideoFileSource source(platform, path);
    error = source.openError();
    if (error != OsError::None)
        return avi::VideoReading();
    avi::VideoReading reading = avi::readVideo(source, chunks);
    error = source.readError();
    return reading;
}

bool take(Platform& platform, TakenVideos& taken, const std::string& path,
          avi::VideoReading reading, OsError error, ClipFailure& failure) {
    if (error != OsError::None) {
        failure.kind = ClipFailureKind::Unreadable;
        failure.path = path;
        failure.error = error;
        return false;
    }
    if (reading.report.state == avi::VideoState::Unreadable) {
        failure.kind = ClipFailureKind::Unusable;
        failure.path = path;
        failure.finding = reading.report.findings.front();
        return false;
    }
    taken.times.push_back(timedVideo(platform, path, reading.report).time);
    taken.readings.push_back(std::move(reading));
    return true;
}

bool writeSpans(Platform& platform, const std::string& out, const TakenVideos& taken,
                const std::vector<avi::SourceSpan>& spans, const std::vector<Gap>& gaps,
                PlannedAhead* ahead, bool timeOrdered, ClipOutcome& outcome,
                const std::function<bool()>& keep) {
    std::vector<const avi::VideoReading*> readings;
    for (const avi::VideoReading& reading : taken.readings)
        readings.push_back(&reading);
    avi::SpanPlan planned = avi::planSpans(readings, spans);
    ClipFailure& failure = outcome.failure;
    if (planned.refusal == avi::PlanRefusal::NothingInRange) {
        failure.kind = ClipFailureKind::NothingInRange;
        return true;
    }
    if (planned.refusal == avi::PlanRefusal::FormatsDiffer) {
        std::size_t second = planned.differingSource;
        std::size_t first = second > 0 ? second - 1 : 0;
        for (std::size_t i = 0; i + 1 < spans.size(); ++i)
            if (spans[i + 1].source == second)
                first = spans[i].source;
        failure.kind = ClipFailureKind::FormatsDiffer;
        failure.path = taken.paths[second];
        failure.otherPath = taken.paths[first];
        failure.difference = planned.difference;
        return true;
    }
    // The clip's own IDIT, where its first source has one: when its first frame was recorded,
    // on the recorder's clock.
    const avi::SpanTaken &head = planned.taken.front(), &tail = planned.taken.back();
    const std::optional<RecordingTime>& openingTime = taken.times[head.source];
    double openingFps = taken.readings[head.source].report.fps;
    if (openingTime && openingFps > 0) {
        CivilTime t = toCivil(
            openingTime->start +
            static_cast<std::int64_t>(static_cast<double>(head.firstFrame) * 1000 / openingFps));
        planned.plan.recorded =
            avi::RecordingDate{t.year, t.month, t.day, t.hour, t.minute, t.second};
    }
    VideoCopy copy = writePlanned(platform, taken.paths, readings, planned.plan, out, ahead, keep);
    if (copy.withdrawn)
        return false;
    if (copy.error != OsError::None) {
        failure.kind = copy.error.side() == OsError::Side::Source ? ClipFailureKind::Unreadable
                                                                  : ClipFailureKind::Unwritable;
        failure.path = copy.errorPath;
        failure.error = copy.error;
        return true;
    }

    // The frame rate of the video the clip opens with is the clip's.
    double fps = openingFps;
    outcome.frames = copy.outcome.frames;
    outcome.seconds = fps > 0 ? static_cast<double>(copy.outcome.frames) / fps : 0;
    const auto &startTime = taken.times[head.source], &endTime = taken.times[tail.source];
    if (startTime && timeOrdered)
        outcome.start = startTime->start + frameMillis(fps, head.firstFrame);
    if (endTime && timeOrdered)
        outcome.end = endTime->start + frameMillis(fps, tail.lastFrame + 1);
    for (const avi::SpanTaken& part : planned.taken)
        outcome.sources.push_back(
            {taken.paths[part.source], part.firstFrame, part.lastFrame, part.frames, part.samples});
    for (const Gap& gap : gaps)
        outcome.gaps.push_back({taken.paths[gap.before], taken.paths[gap.after], gap.millis});
    outcome.framesBeforeStart = planned.framesBeforeStart;
    return true;
}

} // namespace kovra::clips
