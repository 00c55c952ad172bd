// Why something was left out, in words: a path the video search passed over, a frame that gave
// the gallery no picture.
#pragma once

#include <string>

#include "device/passed_over.h"
#include "pictures/no_picture.h"

namespace kovra::words {

// The reason's kind as JSON names it, stable for scripts: "notAFile", "linkOutside" ...
const char* passedOverKindName(PassedOver why);
// Why the video search passed over a path: "not a regular file", "a link out of the folder
// searched" ...
const char* passedOverText(PassedOver why);
// Why a frame gave the gallery no picture: "CMYK (4 colour components)", "cut short" ...;
// empty for a frame that gave one.
std::string noPictureText(pictures::NoPicture why);

} // namespace kovra::words
