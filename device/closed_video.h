// Whether the recorder closed a video: writing its index after the data and bringing its sizes
// up to date is the last thing it does to a file, and a power cut before that leaves one
// without an index, with zero or stale sizes, its last frame cut in half. Told from the header
// and the index's own chunk header alone, so that it costs nothing next to a copy of the video.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kovra {

// True when the one RIFF spans the whole file and ends with a whole idx1 right after movi.
// False for anything else, also a file that cannot be read: those are for a full reading.
bool closedByRecorder(Platform& platform, const std::string& path);

} // namespace kovra
