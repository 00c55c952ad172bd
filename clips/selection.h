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

// Which videos a range needs read, told before reading them from when each file was closed: a
// recording ends no later than its file was closed, so one closed before the range holds none
// of it; and once the recordings read hold the range from its start to its end, one closed
// after them could only add what they hold. A clip out of a card of hundreds of recordings
// then reads the few around it.
class RangeReading {
  public:
    RangeReading(ClockMillis from, ClockMillis to) : from_(from), to_(to), covered_(from) {}
    // The candidates in the order to read them: those of no known file time first (they are
    // always read), then by the time each was closed.
    static std::vector<std::size_t> order(const std::vector<std::optional<ClockMillis>>& closed);
    // Whether a candidate closed then must still be read.
    bool needs(const std::optional<ClockMillis>& closed) const;
    // A recording read, and when it was recorded.
    void read(const RecordingTime& time);

  private:
    ClockMillis from_, to_;
    ClockMillis covered_; // the recordings read hold the range from its start up to here
};

// The time between each recording and the next, in the order given, where there is one:
// what a join of them says.
std::vector<Gap> gapsBetween(const std::vector<RecordingTime>& times);

} // namespace kovra::clips
