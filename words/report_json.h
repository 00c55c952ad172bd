// A video's report as one JSON object, as `videos --json` lists it.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "avi/video_report.h"

namespace kovra::words {

// Each finding as {"kind", "problem", "fix"}: the stable kind for scripts, and beside it what
// is wrong and what a repair does about it, in the words the terminal shows.
nlohmann::json findingsJson(const avi::VideoReport& report);
// The report as `videos --json` lists a video: "problems" holds the findings' words alone, as
// it always has; "findings" holds them with their kinds.
nlohmann::json reportJson(const std::string& path, std::uint64_t size,
                          const avi::VideoReport& report);

} // namespace kovra::words
