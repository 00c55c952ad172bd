// Whether the recorder closed a video: writing its index after the data and bringing its sizes
// up to date is the last thing it does to a file, and a power cut before that leaves one
// without an index, with zero or stale sizes, its last frame cut in half. Told from the header
// and the index's own chunk header alone, so that it costs nothing next to a copy of the video.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kovra {

enum class VideoClosing {
    Closed,    // the one RIFF spans the file and ends with a whole idx1 right after movi
    Unclosed,  // anything else a full reading must judge: a power cut's end, other damage
    NotAVideo, // no AVI header under a "MARS" or "RIFF" signature, or no file to read
};

VideoClosing closingOf(Platform& platform, const std::string& path);

} // namespace kovra
