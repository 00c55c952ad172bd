// Which recordings hold a moment: of videos with their recording times, the chain of those that
// cover a range of the recorder's clock, and the part of each the range takes, in milliseconds
// from its first frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "avi/plan.h"
#include "clips/clock_time.h"
#include "clips/recording_time.h"

namespace kovra::clips {

// Times a file time can be off by (FAT keeps them to 2 seconds): recordings closer than this
// are taken as one after the other, with no gap and no overlap.
constexpr std::int64_t kTimeSlackMillis = 2000;

// Two recordings in the chain with time between them that neither holds.
struct Gap {
    std::size_t before = 0, after = 0; // indices into the times given
    std::int64_t millis = 0;
};

enum class SelectionRefusal {
    None,
    EndBeforeStart, // the range ends before, or where, it starts
    NotCovered,     // no recording holds any of it
};

struct Selection {
    SelectionRefusal refusal = SelectionRefusal::None;
    // One a recording taken, in time order; source is the index into the times given.
    std::vector<avi::SourceSpan> spans;
    std::vector<Gap> gaps;
    // Recordings that overlap one taken before them by more than the slack (another kind of
    // recording of the same moment): only what they add is taken.
    std::vector<std::size_t> overlapping;
};

// times: of every recording that may hold the range, in any order.
Selection selectRange(const std::vector<RecordingTime>& times, ClockMillis from, ClockMillis to);

// What the recordings a selection chose hold of its range: from the first one's start to the
// furthest end, within the range.
struct HeldRange {
    ClockMillis from = 0, to = 0;
    // The range begins before the first recording, or ends after the last, by more than the
    // slack: the clip is shorter than asked.
    bool reachesPast = false;
    // Held without a gap, from the start to the end.
    bool whole = false;
};

// Nothing when the selection chose no recording. times and selection as selectRange's.
std::optional<HeldRange> heldRange(const std::vector<RecordingTime>& times,
                                   const Selection& selection, ClockMillis from, ClockMillis to);

// The time between each recording and the next, in the order given, where there is one:
// what a join of them says.
std::vector<Gap> gapsBetween(const std::vector<RecordingTime>& times);

} // namespace kovra::clips
