// A video's report as one JSON object, as `videos --json` lists it.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "avi/video_report.h"

namespace kovra::words {

nlohmann::json reportJson(const std::string& path, std::uint64_t size,
                          const avi::VideoReport& report);

} // namespace kovra::words
