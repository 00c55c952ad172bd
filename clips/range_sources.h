// Which of the candidate recordings hold a range of the recorder's clock, told by the times
// `kovra-cli videos` shows: a recording's own IDIT date where it has one, else its file time
// less its length. The file time alone cannot choose: a PC in another time zone shows it hours
// off, and a card restored from a zip may say 1980.
//
// Each candidate is glanced at for its time (its headers and index; one with no index is walked
// whole at once, as its length needs), and only those chosen are read whole, once, their chunks
// kept for the plan: a card's other recordings, often most of it, cost no walk of their data.
// One whose header and file time put it outside the range is not read past its header.
//
// One timed by its file time that was closed after another that holds the range's end is most
// likely a later recording the clip leaves out, yet only the walk of its every chunk tells its
// length, and so its start. It may be held back: walked on a thread of its own while the clip
// of the others is written, and the range chosen again with it before the clip is named.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "avi/video_reading.h"
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

    // Each candidate as given: its time as last read, and its whole reading once made.
    struct Candidate {
        TimedVideo video;
        std::optional<avi::VideoReading> whole;
    };
    std::vector<Candidate> candidates;
    std::vector<std::size_t> candidateOf; // of each of timed

    // Those held back, still being read: their candidates are left out of the choice (no time,
    // no error) until takeHeldBack().
    struct HeldBack;
    std::shared_ptr<HeldBack> heldBack;
};

// Whether candidates that are likely outside the range may be read behind the choice.
enum class HoldBack { None, Likely };

// Called with the recording the range most likely starts in, once it is read whole, on the
// thread that read it, while the others are read: the clip's beginning can be copied out
// meanwhile.
using FirstReading = std::function<void(const TimedVideo&, const avi::VideoReading&)>;

// Glances at each candidate's headers and index (not its data) for its time, and chooses. A
// candidate whose header and file time put it outside the range is not read at all. With
// HoldBack::Likely, those that are likely outside are read on a thread once the others are,
// and left out of the choice until takeHeldBack().
RangeSources chooseRangeSources(Platform& platform, const std::vector<std::string>& candidates,
                                ClockMillis from, ClockMillis to,
                                const FirstReading& firstRead = {},
                                HoldBack holdBack = HoldBack::None);

// Waits for the candidates held back and chooses again with them in: true where the choice
// (the recordings taken, their parts, the gaps, those overlapping, what is held of the range,
// those that failed) is the one made without them, or where none was held back. Once called,
// nothing is held back.
bool takeHeldBack(RangeSources& sources, ClockMillis from, ClockMillis to);

// Reads the chosen source timed[source] whole with its chunks, once: later calls hand back
// the same reading. False where that reading's time is not the one it was chosen by (the
// glance fell short of what the whole reading finds, or the file failed the reading): the
// candidate then has its whole reading's time, and the range is chosen again.
bool readChosenWhole(Platform& platform, RangeSources& sources, std::size_t source,
                     ClockMillis from, ClockMillis to);

// The whole reading readChosenWhole() made of timed[source].
avi::VideoReading& chosenReading(RangeSources& sources, std::size_t source);

} // namespace kovra::clips
