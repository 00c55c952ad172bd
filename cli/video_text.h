// Videos in words for people: sizes, lengths, and a report as one JSON object.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "avi/video_report.h"

namespace kovra::cli {

std::string sizeText(std::uint64_t bytes); // "1.6 MiB"
std::string durationText(double seconds);  // "1:02:03", "2:05", "0:06"
std::string frameRateText(double fps);     // "15", "13.33"
nlohmann::json reportJson(const std::string& path, std::uint64_t size,
                          const avi::VideoReport& report);

} // namespace kovra::cli
