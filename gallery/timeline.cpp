#include "gallery/timeline.h"

#include <algorithm>
#include <map>

#include "clips/recording_time.h"

namespace kovra::gallery {

namespace {

constexpr clips::ClockMillis kMillisPerHour = 60 * 60 * clips::kMillisPerSecond;
constexpr clips::ClockMillis kMillisPerDay = 24 * kMillisPerHour;

// Floor division: a clock before 1970 still falls on its own day.
clips::ClockMillis floorTo(clips::ClockMillis time, clips::ClockMillis step) {
    clips::ClockMillis q = time / step;
    if (time % step != 0 && time < 0)
        --q;
    return q * step;
}

clips::ClockMillis ceilTo(clips::ClockMillis time, clips::ClockMillis step) {
    clips::ClockMillis floor = floorTo(time, step);
    return floor == time ? time : floor + step;
}

} // namespace

double timelineX(const TimelineDay& day, clips::ClockMillis time) {
    return kTimelineWidth * static_cast<double>(time - day.from) /
           static_cast<double>(day.to - day.from);
}

std::vector<TimelineDay> layOutTimeline(const std::vector<TimelineVideo>& videos) {
    std::map<clips::ClockMillis, TimelineDay> days;
    for (const TimelineVideo& video : videos) {
        if (!clips::isCalendarTime(video.start))
            continue; // no day holds it
        // No recording lasts longer, so a bar touches two days at most: the page and its
        // making never grow with a span a header claims.
        clips::ClockMillis end = std::min(std::max(video.end, video.start),
                                          video.start + clips::kLongestRecordingMillis);
        // A recording over midnight is a bar on each day it touches.
        clips::ClockMillis day = floorTo(video.start, kMillisPerDay);
        do {
            TimelineDay& timeline = days[day];
            timeline.dayStart = day;
            TimelineBar bar;
            bar.index = video.index;
            bar.start = std::max(video.start, day);
            bar.end = std::min(end, day + kMillisPerDay);
            timeline.bars.push_back(bar);
            day += kMillisPerDay;
        } while (day < end);
    }
    std::vector<TimelineDay> laidOut;
    for (auto& entry : days) {
        TimelineDay& day = entry.second;
        clips::ClockMillis first = day.bars.front().start, last = day.bars.front().end;
        for (const TimelineBar& bar : day.bars) {
            first = std::min(first, bar.start);
            last = std::max(last, bar.end);
        }
        day.from = floorTo(first, kMillisPerHour);
        day.to = std::max(ceilTo(last, kMillisPerHour), day.from + kMillisPerHour);
        for (TimelineBar& bar : day.bars) {
            bar.x = timelineX(day, bar.start);
            bar.width = std::max(timelineX(day, bar.end) - bar.x, kNarrowestBar);
            // A bar widened at the day's end grows to the left rather than out of the picture.
            bar.x = std::min(bar.x, kTimelineWidth - bar.width);
        }
        for (clips::ClockMillis hour = day.from; hour <= day.to; hour += kMillisPerHour)
            day.hours.push_back(
                {timelineX(day, hour), static_cast<int>((hour - day.dayStart) / kMillisPerHour)});
        laidOut.push_back(std::move(day));
    }
    return laidOut;
}

} // namespace kovra::gallery
