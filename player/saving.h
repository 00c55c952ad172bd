// What the player saves into its save folder: a clip of a range, written by the clip job as
// `clip` writes it, and a frame as the recorder's JPEG (tables put in where it had none, never
// encoded again). Each file is written under a temporary name, flushed, and only then moved to
// the first of its names ("name.jpg", "name-2.jpg" ...) that no file there holds, never over
// one that is: no file Kovra did not write is ever replaced, and a name is taken only by a
// whole file. A failed save leaves nothing behind; a killed one no name taken, at most its
// temporary file, which the next save of that name removes.
#pragma once

#include <cstdint>
#include <string>

#include "clips/clip_job.h"
#include "player/answers.h"
#include "player/reading_cache.h"

namespace kovra::player {

// The most names tried for one file ("name.jpg", "name-2.jpg" ...) before the folder is said
// to hold them all.
constexpr unsigned kMostNameTries = 1000;
// The most of a video's name kept in a frame's: the rest of it says nothing more.
constexpr std::size_t kMostStemChars = 64;

// "MOV0001-frame-000123": the video's name without its folder and ".avi", each character
// other than a letter, digit, '-', '_' or '.' made '_' (a card's name is text, never a path
// or a name every system allows), and the frame's number.
std::string frameFileStem(const std::string& videoPath, std::uint64_t n);
// "kovra-2026-12-09-140312-140412": the range's date and its start and end times of day.
std::string clipFileStem(clips::ClockMillis start, clips::ClockMillis end);

// Frame n of the video, as frameOf() answered it, saved into folder. Each save makes the folder
// where it is missing, and those above it.
SavedAnswer saveFrame(Platform& platform, const FrameAnswer& frame, const std::string& video,
                      std::uint64_t n, const std::string& folder);

// The range [start, end), texts "YYYY-MM-DD HH:MM:SS[.fff]" on the recorder's clock moved by
// offsetMillis (the true time, where a clock offset is given), as `clip --start --end` takes
// them, cut from the card's videos into folder: the same file `clip` writes of that range, and
// the document `clip --json` prints of it.
SavedAnswer saveClip(Platform& platform, const clips::RangeCandidates& card,
                     const std::string& start, const std::string& end, const std::string& folder,
                     std::int64_t offsetMillis);

} // namespace kovra::player
