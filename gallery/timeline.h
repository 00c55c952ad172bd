// The gallery's timelines: one a day of the recorder's clock, each video a bar from its start
// to its end, so that the gaps between recordings show. Pure geometry in the SVG's own units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "clips/clock_time.h"

namespace kovra::gallery {

// Every day's timeline is this wide; its height is the page's business.
constexpr double kTimelineWidth = 1000;
// A recording of a few seconds on a day of hours would be a hair: each bar is at least this wide.
constexpr double kNarrowestBar = 3;

struct TimelineVideo {
    clips::ClockMillis start = 0, end = 0;
    std::size_t index = 0; // the caller's, carried to the bar
};

struct TimelineBar {
    double x = 0, width = 0;
    std::size_t index = 0;
    clips::ClockMillis start = 0, end = 0; // the part of the video on this day
};

struct HourMark {
    double x = 0;
    int hour = 0; // 0 to 24
};

struct TimelineDay {
    clips::ClockMillis dayStart = 0;     // 00:00 of the day
    clips::ClockMillis from = 0, to = 0; // the span drawn: whole hours of the day
    std::vector<TimelineBar> bars;       // in the order given
    std::vector<HourMark> hours;         // every whole hour from `from` to `to`
};

// The days the videos fall on, in order; a video past midnight has a bar on each day, a video
// claiming longer than the longest recording is drawn as that long. Each day spans from the
// hour its first recording starts in to the hour its last one ends in.
std::vector<TimelineDay> layOutTimeline(const std::vector<TimelineVideo>& videos);

// Where a moment of the day falls on its timeline.
double timelineX(const TimelineDay& day, clips::ClockMillis time);

} // namespace kovra::gallery
