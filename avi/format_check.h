// Whether a player can open every stream the header describes: a stream whose format ffmpeg
// cannot read is no stream a repair can mend, and the video is reported as unreadable.
#pragma once

#include <optional>

#include "avi/avi_header.h"
#include "avi/finding.h"

namespace kovra::avi {

// The first stream whose format cannot be read: DamagedFormat or SoundWithoutRate, naming it.
std::optional<Finding> unreadableFormat(const AviHeader& header);

} // namespace kovra::avi
