// A video file as the commands about recording times see it: what its reading tells, and when
// it was recorded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "avi/video_reading.h"
#include "avi/video_report.h"
#include "clips/recording_time.h"
#include "platform/platform.h"

namespace kovra::clips {

struct TimedVideo {
    std::string path;
    std::uint64_t size = 0;
    avi::VideoReport report;
    std::optional<RecordingTime> time; // on the recorder's clock; none for no readable time
    OsError error = OsError::None;     // the file could not be read (its own error)
};

// Reads the video's headers and index (not its data where the index holds) and its file time.
TimedVideo readTimedVideo(Platform& platform, const std::string& path);

// The same from a glance: the headers and the index checked against the file's size, or where
// there is no usable index the chunk headers hopped a small read each, none of the data read.
// The time is what a whole reading finds wherever the index or the chunk headers hold.
TimedVideo glanceTimedVideo(Platform& platform, const std::string& path);

// What a video's header and file time tell before its data is read.
struct HeaderLook {
    OsError error = OsError::None; // the header could not be read
    avi::HeaderPromise promise;    // avi::readHeaderPromise()'s
    // When the file was closed, as timedVideo() takes it; none where that cannot be told.
    std::optional<ClockMillis> closed;
};
HeaderLook lookAtHeader(Platform& platform, const std::string& path);

// Whether no reading of the video can give it a time that holds any of [from, to): its IDIT
// date starts at or after to, or ends before from though it ran the longest a recording runs;
// or, timed by its file time, it was closed by from, or ran from after to though it was that
// long. Where the header or the file time leaves any doubt, false.
bool certainlyOutside(const HeaderLook& look, ClockMillis from, ClockMillis to);

// The same from a reading already made of the file: only its file time is asked for.
TimedVideo timedVideo(Platform& platform, const std::string& path, const avi::VideoReport& report);

// The recording time moved by what --clock-offset says the recorder's clock is off by; nothing
// where that moves it out of the years a time is shown in.
std::optional<RecordingTime> shifted(const RecordingTime& time, std::int64_t offsetMillis);

} // namespace kovra::clips
