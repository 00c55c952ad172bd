// The clip and join job: the recordings read in order, those a range takes chosen, numbered as
// the plan takes them, the clip's recording date set, and the one new video written. The
// command line and any other front call it alike: what went wrong and what is worth saying
// come back as values, to be put into words by the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "avi/plan.h"
#include "avi/video_report.h"
#include "clips/clock_time.h"
#include "platform/platform.h"

namespace kovra::clips {

// The videos a range may be cut from: every *.avi below a folder, and those below it that are
// no file to read (a FIFO, a folder that could not be listed), which may hold some of it.
struct RangeCandidates {
    std::vector<std::string> paths;
    std::vector<std::string> unreadable;
};

RangeCandidates findRangeCandidates(Platform& platform, const std::string& folder);

enum class ClipFailureKind {
    None,
    Unreadable,          // path could not be opened or read (error); nothing was written
    Unusable,            // path holds no frame (finding says why)
    CandidateUnreadable, // a candidate that may hold some of the range could not be read (error)
    CandidateNotAFile,   // a candidate that may hold some of the range is no file to read
    NotCovered,          // no recording holds any of the range
    NothingInRange,      // no frame of the videos starts in the range
    FormatsDiffer,       // path is not of one format with otherPath (difference)
    Unwritable,          // the clip could not be written (error)
};

struct ClipFailure {
    ClipFailureKind kind = ClipFailureKind::None;
    std::string path;      // the file that failed
    std::string otherPath; // FormatsDiffer: the video before it in the clip
    OsError error = OsError::None;
    avi::Finding finding{}; // Unusable
    avi::FormatDifference difference = avi::FormatDifference::None;
};

enum class ClipWarningKind {
    ReachesPast, // the range reaches past the recordings: the clip covers only from..to
    Overlapping, // path was recorded over the same time as the one before: only what it adds
    OutOfOrder,  // a join: path was recorded before otherPath, given before it
};

struct ClipWarning {
    ClipWarningKind kind;
    std::string path, otherPath;
    ClockMillis from = 0, to = 0; // ReachesPast, on the recorder's clock
};

// What the clip took of one of its videos, in the order taken.
struct ClipSource {
    std::string path;
    std::uint64_t firstFrame = 0, lastFrame = 0, frames = 0, samples = 0;
};

// Time between two videos of the clip that neither holds: the clip runs on across it.
struct ClipGap {
    std::string after, before;
    std::int64_t millis = 0;
};

struct ClipOutcome {
    ClipFailure failure; // kind None: the clip was written
    // Said before the clip was written, and also where it then failed.
    std::vector<ClipWarning> warnings;
    std::uint64_t frames = 0;
    double seconds = 0;
    // Its first frame's start and its last frame's end on the recorder's clock; none where a
    // video has no time, or a join is out of time order.
    std::optional<ClockMillis> start, end;
    std::vector<ClipSource> sources;
    std::vector<ClipGap> gaps;
    // Frames taken before the start, back to the key frame the codec needs to begin.
    std::uint64_t framesBeforeStart = 0;

    bool written() const { return failure.kind == ClipFailureKind::None; }
};

// The frames of the candidates (in any order) that start in [from, to) of the recorder's
// clock, and their sound, as one video at out. unreadable: candidates that are no file.
ClipOutcome clipRange(Platform& platform, const RangeCandidates& candidates, ClockMillis from,
                      ClockMillis to, const std::string& out);

// The frames of one video that start in span (milliseconds from its first frame).
ClipOutcome clipPart(Platform& platform, const std::string& video, const avi::SourceSpan& span,
                     const std::string& out);

// Whole videos one after the other, in the order given.
ClipOutcome joinVideos(Platform& platform, const std::vector<std::string>& videos,
                       const std::string& out);

} // namespace kovra::clips
