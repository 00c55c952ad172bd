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

bool indexPromisedAt(Platform& platform, const std::string& path, OsError& error) {
    VideoFileSource source(platform, path);
    error = source.openError();
    if (error != OsError::None)
        return false;
    bool promised = avi::indexPromised(source);
    error = source.readError();
    return promised;
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
