// Which of the candidate recordings hold a range of the recorder's clock, told by the times
// `kovra-cli videos` shows: a recording's own IDIT date where it has one, else its file time
// less its length. The file time alone cannot choose: a PC in another time zone shows it hours
// off, and a card restored from a zip may say 1980.
#pragma once

#include <string>
#include <vector>

#include "clips/selection.h"
#include "clips/timed_video.h"
#include "platform/platform.h"

namespace kovra::clips {

struct RangeSources {
    std::vector<TimedVideo> timed;  // the candidates read that have a time, in the order given
    std::vector<TimedVideo> failed; // those that could not be opened or read (error says why)
    Selection selection;            // of the range, its sources indices into timed
    std::optional<HeldRange> held;  // what the recordings chosen hold of it
    // A recording that could not be read may hold what the others leave out of the range:
    // then no clip is cut without it. Where the others hold it whole, it could add nothing.
    bool needsFailed() const { return !failed.empty() && !(held && held->whole); }
};

// Reads each candidate's headers and index (not its data) for its time, as `videos` does.
RangeSources chooseRangeSources(Platform& platform, const std::vector<std::string>& candidates,
                                ClockMillis from, ClockMillis to);

} // namespace kovra::clips
