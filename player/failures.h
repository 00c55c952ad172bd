// The player's failures, each with its words: the file that failed and the system's reason.
#pragma once

#include <string>

#include "avi/video_report.h"
#include "pictures/no_picture.h"
#include "player/answers.h"

namespace kovra::player {

Failure refused(Refusal refusal, const std::string& text);
Failure unreadable(const std::string& path, OsError error);
Failure unwritable(const std::string& path, OsError error);
// A video the reader could not use: its one finding says why.
Failure unusable(const std::string& path, const avi::VideoReport& report);
// A chunk (what) that is not where the video's index says.
Failure misplaced(const std::string& path, const std::string& what);
// A frame that is no picture a browser should be handed.
Failure noPicture(const std::string& path, std::uint64_t frame, pictures::NoPicture why);

} // namespace kovra::player
