// One video written as a standard, playable AVI: repaired when broken, copied with "RIFF"
// when sound. The file appears only complete, under its own name.
#pragma once

#include <cstdint>
#include <string>

#include "avi/repair.h"
#include "avi/video_report.h"
#include "platform/platform.h"

namespace kovra::cli {

struct VideoCopy {
    OsError error = OsError::None; // reading the source or writing the target
    std::string errorPath;         // the file the error concerns
    avi::RepairResult result;
};

// Writes source to target, giving target the modification time given. When the source cannot
// be made playable, result.written is false and nothing is left at target.
VideoCopy writePlayable(Platform& platform, const std::string& source, const std::string& target,
                        std::int64_t modified);

} // namespace kovra::cli
