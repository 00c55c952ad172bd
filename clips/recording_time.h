// When a video was recorded, on the recorder's clock: what its IDIT chunk says, or else what
// the card's file time says, which the recorder sets as it closes the file.
#pragma once

#include <optional>

#include "avi/exact_time.h"
#include "avi/video_report.h"
#include "clips/clock_time.h"
#include "platform/platform.h"

namespace kovra::clips {

// No recording is longer: a video that claims to be spans no more than this.
constexpr std::int64_t kLongestRecordingMillis =
    static_cast<std::int64_t>(avi::kLongestRecordingSeconds) * kMillisPerSecond;

enum class TimeSource { Idit, FileTime };

struct RecordingTime {
    ClockMillis start = 0, end = 0;
    TimeSource source = TimeSource::Idit;
};

const char* timeSourceName(TimeSource source); // "idit", "file time"

// The IDIT date as the start, the start plus the video's length as the end; or else the file's
// modification time as the PC's clock shows it (FAT keeps the recorder's local time, in steps
// of 2 seconds) as the end, less the length as the start. Nothing for a video of no length, of
// a rate or length no recorder makes, or whose start or end falls outside the years 1 to 9999.
std::optional<RecordingTime> recordingTime(const avi::VideoReport& report,
                                           const std::optional<SystemTime>& fileTime);

// An IDIT date on the recorder's clock: the start recordingTime() gives a video that has one.
ClockMillis iditStart(const avi::RecordingDate& date);

// When the card's file was closed, on the recorder's clock, from its modification time as the
// PC's clock shows it; nothing for a time no calendar holds.
std::optional<ClockMillis> closedAt(const SystemTime& fileTime);

// The video's length in milliseconds: its frames at its frame rate.
std::int64_t lengthMillis(const avi::VideoReport& report);

} // namespace kovra::clips
