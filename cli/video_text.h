// Videos in words for people: sizes, lengths, and a report as one JSON object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "avi/finding.h"
#include "avi/video_report.h"
#include "device/video_finder.h"
#include "pictures/no_picture.h"

namespace kovra::cli {

std::string sizeText(std::uint64_t bytes); // "1.6 MiB"
std::string durationText(double seconds);  // "1:02:03", "2:05", "0:06"
std::string frameRateText(double fps);     // "15", "13.33"
// A finding in words: what is wrong ("no index", "RIFF size 0, data holds 11876"), and what a
// repair does about it ("index rebuilt: 4 entries", "RIFF size 11868").
std::string problemText(const avi::Finding& finding);
std::string fixText(const avi::Finding& finding);
// The report's findings, each as problemText() says it.
std::vector<std::string> problemTexts(const avi::VideoReport& report);
// What a repair of the video fixes, in words: "signature RIFF" for a file that did not begin
// so, then each finding as fixText() says it.
std::vector<std::string> fixTexts(const avi::VideoReport& report);
// Why the video search passed over a path: "not a regular file", "a link out of the folder
// searched" ...
const char* passedOverText(PassedOver why);
// Why a frame gave the gallery no picture: "CMYK (4 colour components)", "cut short" ...;
// empty for a frame that gave one.
std::string noPictureText(pictures::NoPicture why);
nlohmann::json reportJson(const std::string& path, std::uint64_t size,
                          const avi::VideoReport& report);

} // namespace kovra::cli
