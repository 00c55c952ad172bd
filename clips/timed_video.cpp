#include "clips/timed_video.h"

#include "avi/video_reading.h"
#include "device/video_copy.h"
#include "device/video_files.h"

namespace kovra::clips {

TimedVideo readTimedVideo(Platform& platform, const std::string& path) {
    TimedVideo video;
    video.path = path;
    VideoCopy read = inspectVideo(platform, path);
    if (read.error != OsError::None) {
        video.error = read.error;
        video.report = read.report;
        return video;
    }
    return timedVideo(platform, path, read.report);
}

TimedVideo glanceTimedVideo(Platform& platform, const std::string& path) {
    TimedVideo video;
    video.path = path;
    VideoFileSource source(platform, path);
    video.error = source.openError();
    if (video.error != OsError::None)
        return video;
    avi::VideoReport report =
        avi::readVideo(source, avi::Chunks::CountOnly, avi::ReadingDepth::Glance).report;
    video.error = source.readError();
    if (video.error != OsError::None)
        return video;
    return timedVideo(platform, path, report);
}

HeaderLook lookAtHeader(Platform& platform, const std::string& path) {
    HeaderLook look;
    VideoFileSource source(platform, path);
    look.error = source.openError();
    if (look.error != OsError::None)
        return look;
    look.promise = avi::readHeaderPromise(source);
    look.error = source.readError();
    FileInfo info;
    if (look.error == OsError::None && platform.info(path.c_str(), info) == OsError::None)
        look.closed = closedAt(platform.localTimeOf(info.modified));
    return look;
}

bool certainlyOutside(const HeaderLook& look, ClockMillis from, ClockMillis to) {
    if (look.error != OsError::None)
        return false;
    // recordingTime() gives no time to a video longer than the longest recording.
    if (const std::optional<avi::RecordingDate>& d = look.promise.recorded) {
        ClockMillis start = iditStart(*d);
        return start >= to || start + kLongestRecordingMillis <= from;
    }
    if (!look.closed)
        return false;
    return *look.closed <= from || *look.closed - kLongestRecordingMillis >= to;
}

TimedVideo timedVideo(Platform& platform, const std::string& path, const avi::VideoReport& report) {
    TimedVideo video;
    video.path = path;
    video.report = report;
    FileInfo info;
    std::optional<SystemTime> closed;
    if (platform.info(path.c_str(), info) == OsError::None) {
        video.size = info.size;
        closed = platform.localTimeOf(info.modified);
    }
    video.time = recordingTime(video.report, closed);
    return video;
}

std::optional<RecordingTime> shifted(const RecordingTime& time, std::int64_t offsetMillis) {
    RecordingTime moved{time.start + offsetMillis, time.end + offsetMillis, time.source};
    if (!isCalendarTime(moved.start) || !isCalendarTime(moved.end))
        return std::nullopt;
    return moved;
}

} // namespace kovra::clips
