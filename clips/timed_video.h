// A video file as the commands about recording times see it: what its reading tells, and when
// it was recorded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

// Whether the video's header promises an index (avi::indexPromised()); error where it could not
// be read.
bool indexPromisedAt(Platform& platform, const std::string& path, OsError& error);

// The same from a reading already made of the file: only its file time is asked for.
TimedVideo timedVideo(Platform& platform, const std::string& path, const avi::VideoReport& report);

// The recording time moved by what --clock-offset says the recorder's clock is off by; nothing
// where that moves it out of the years a time is shown in.
std::optional<RecordingTime> shifted(const RecordingTime& time, std::int64_t offsetMillis);

} // namespace kovra::clips
