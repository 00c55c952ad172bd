// One video written as a standard, playable AVI: repaired when broken, copied with "RIFF"
// when sound. The file appears only complete, under its own name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "avi/video_report.h"
#include "platform/platform.h"

namespace kovra::cli {

struct CopyResult {
    bool written = false;     // false: nothing usable was written, and nothing is left at target
    std::string reason;       // when !written and no OS error: why, e.g. "no complete frame"
    bool wasSound = false;    // the output is a byte-for-byte copy with "RIFF"
    std::uint64_t frames = 0; // video frames the output holds
    std::vector<std::string> fixed; // what was fixed, short texts
};

struct VideoCopy {
    OsError error = OsError::None; // reading the source or writing the target
    std::string errorPath;         // the file the error concerns
    CopyResult result;
};

// Writes source to target, giving target the modification time given. When the source cannot
// be made playable, result.written is false and nothing is left at target.
// A report from inspect() spares a sound source its second reading.
VideoCopy writePlayable(Platform& platform, const std::string& source, const std::string& target,
                        std::int64_t modified, const avi::VideoReport* report = nullptr);

} // namespace kovra::cli
