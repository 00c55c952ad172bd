// The part of the clip job that every clip and join ends with: the videos taken read whole,
// their spans planned, the clip's recording date set, the file written, and what it holds.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "avi/plan.h"
#include "avi/video_reading.h"
#include "clips/clip_job.h"
#include "clips/recording_time.h"
#include "clips/selection.h"
#include "device/video_copy.h"
#include "platform/platform.h"

namespace kovra::clips {

// The videos a clip takes, read with their chunks, in the order the plan numbers them.
struct TakenVideos {
    std::vector<std::string> paths;
    std::vector<avi::VideoReading> readings;
    std::vector<std::optional<RecordingTime>> times;
};

// Reads a video whole, its chunks kept for the plan (or only counted, for its length alone);
// error when it could not be read.
avi::VideoReading readWithChunks(Platform& platform, const std::string& path, OsError& error,
                                 avi::Chunks chunks = avi::Chunks::Keep);

// Takes one reading of path, with when it was recorded; false, with failure set, for one that
// could not be read or holds no frame.
bool take(Platform& platform, TakenVideos& taken, const std::string& path,
          avi::VideoReading reading, OsError error, ClipFailure& failure);

// Plans the spans (their sources and the gaps' indices into taken), writes out and fills in
// outcome. ahead: the clip's beginning, begun while the rest was read; timeOrdered: a start
// and end can be said. keep, where given, is asked once the file is flushed and before it is
// named: false withdraws it, and then so does writeSpans(), with outcome left as it was.
bool writeSpans(Platform& platform, const std::string& out, const TakenVideos& taken,
                const std::vector<avi::SourceSpan>& spans, const std::vector<Gap>& gaps,
                PlannedAhead* ahead, bool timeOrdered, ClipOutcome& outcome,
                const std::function<bool()>& keep = {});

} // namespace kovra::clips
