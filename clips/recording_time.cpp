#include "clips/recording_time.h"

#include <cmath>

namespace kovra::clips {

const char* timeSourceName(TimeSource source) {
    return source == TimeSource::Idit ? "idit" : "file time";
}

std::int64_t lengthMillis(const avi::VideoReport& report) {
    return report.fps > 0
               ? std::llround(static_cast<double>(report.frames) * kMillisPerSecond / report.fps)
               : 0;
}

namespace {

// A reading refuses any other; a report from elsewhere is held to the same bounds, so that no
// time is ever a header's span of centuries.
bool recorderTimed(const avi::VideoReport& report) {
    return report.state != avi::VideoState::Unreadable &&
           report.fps >= static_cast<double>(avi::kSlowestFrameRate) &&
           report.fps <= static_cast<double>(avi::kFastestFrameRate) &&
           lengthMillis(report) <= kLongestRecordingMillis;
}

std::optional<RecordingTime> inCalendar(const RecordingTime& time) {
    if (!isCalendarTime(time.start) || !isCalendarTime(time.end))
        return std::nullopt;
    return time;
}

} // namespace

std::optional<RecordingTime> recordingTime(const avi::VideoReport& report,
                                           const std::optional<SystemTime>& fileTime) {
    if (!recorderTimed(report))
        return std::nullopt;
    std::int64_t length = lengthMillis(report);
    if (report.recorded) {
        ClockMillis start = iditStart(*report.recorded);
        return inCalendar({start, start + length, TimeSource::Idit});
    }
    std::optional<ClockMillis> end = fileTime ? closedAt(*fileTime) : std::nullopt;
    if (!end)
        return std::nullopt;
    return inCalendar({*end - length, *end, TimeSource::FileTime});
}

ClockMillis iditStart(const avi::RecordingDate& d) {
    return toMillis({d.year, d.month, d.day, d.hour, d.minute, d.second, 0});
}

std::optional<ClockMillis> closedAt(const SystemTime& fileTime) {
    CivilTime closed{fileTime.year,
                     fileTime.month,
                     fileTime.day,
                     fileTime.hour,
                     fileTime.minute,
                     fileTime.second,
                     0};
    if (!isCivilTime(closed))
        return std::nullopt;
    return toMillis(closed);
}

} // namespace kovra::clips
