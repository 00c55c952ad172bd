#include "clips/range_sources.h"

namespace kovra::clips {

RangeSources chooseRangeSources(Platform& platform, const std::vector<std::string>& candidates,
                                ClockMillis from, ClockMillis to) {
    RangeSources sources;
    std::vector<RecordingTime> times;
    for (const std::string& path : candidates) {
        TimedVideo video = readTimedVideo(platform, path);
        if (video.error != OsError::None) {
            sources.failed.push_back(std::move(video));
        } else if (video.time) {
            // One with no time (a broken header, no video at all) is no part of any range: a
            // gap, said where the clip runs across it.
            times.push_back(*video.time);
            sources.timed.push_back(std::move(video));
        }
    }
    sources.selection = selectRange(times, from, to);
    sources.held = heldRange(times, sources.selection, from, to);
    return sources;
}

} // namespace kovra::clips
