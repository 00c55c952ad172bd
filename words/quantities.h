// Quantities as people read them: sizes, lengths of time and frame rates, the same on the
// terminal and on the gallery's page.
#pragma once

#include <cstdint>
#include <string>

namespace kovra::words {

std::string sizeText(std::uint64_t bytes); // "1.6 MiB"
std::string durationText(double seconds);  // "1:02:03", "2:05", "0:06"
std::string frameRateText(double fps);     // "15", "13.33"

} // namespace kovra::words
