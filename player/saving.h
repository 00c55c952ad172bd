// What the player saves into its save folder: a clip of a range, written by the clip job as
// `clip` writes it, and a frame as the recorder's JPEG (tables put in where it had none, never
// encoded again). Each file gets a name no other file there holds, claimed before a byte is
// written, so that no file Kovra did not write is ever replaced, and is written whole or not at
// all; a failed save leaves nothing behind.
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

// Claims a name in folder nobody holds, stem then stem-2, stem-3 ...: an empty file created
// there, never over one that exists, which the write then replaces whole. The folder is made
// where it is missing, and those above it. path: the file claimed; error where none could be.
OsError claimFreeName(Platform& platform, const std::string& folder, const std::string& stem,
                      const std::string& extension, std::string& path);

// Frame n of the video, as frameOf() answered it, saved into folder.
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
