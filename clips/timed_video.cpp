#include "clips/timed_video.h"

#include "device/video_copy.h"

namespace kovra::clips {

TimedVideo readTimedVideo(Platform& platform, const std::string& path) {
    TimedVideo video;
    video.path = path;
    VideoCopy read = inspectVideo(platform, path);
    video.error = read.error;
    video.report = read.report;
    if (video.error != OsError::None)
        return video;
    FileInfo info;
    std::optional<SystemTime> closed;
    if (platform.info(path.c_str(), info) == OsError::None) {
        video.size = info.size;
        closed = platform.localTimeOf(info.modified);
    }
    video.time = recordingTime(video.report, closed);
    return video;
}

RecordingTime shifted(const RecordingTime& time, std::int64_t offsetMillis) {
    return {time.start + offsetMillis, time.end + offsetMillis, time.source};
}

} // namespace kovra::clips
