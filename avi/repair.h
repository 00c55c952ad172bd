// Writes a recorder video as a sound AVI: "RIFF", only complete data chunks, a fresh idx1 and
// header sizes and counts that match the data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "avi/byte_sink.h"
#include "avi/byte_source.h"
#include "avi/video_report.h"

namespace kovra::avi {

struct RepairResult {
    bool written = false;  // false: nothing usable was written; the caller discards the output
    std::string reason;    // when !written: e.g. "no readable header (hdrl)", "no complete frame"
    bool wasSound = false; // the output is a byte-for-byte copy with "RIFF"
    std::uint64_t frames = 0;       // video frames the output holds
    std::vector<std::string> fixed; // what was fixed, short texts
};

// Streams the source to sink through fixed buffers; besides them it keeps only the list of
// chunks to copy (12 bytes a chunk). A failed sink write or source read ends it unwritten.
RepairResult repair(ByteSource& source, ByteSink& sink);

// What repair() reports for a source that inspect() found sound (report.state Ok) once its
// byte-for-byte copy with "RIFF" is written, however it was made.
RepairResult soundCopyResult(const VideoReport& report);

} // namespace kovra::avi
