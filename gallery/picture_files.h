// The gallery's pictures as files in its picture folder: each written whole or not at all, named
// after its video's path, size and time so that a changed video never shows an old picture, and
// those of videos no longer shown removed.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kovra::gallery {

// "MOV0001-3f2a…-cover.jpg", "MOV0001-3f2a…-4.jpg": the video's name (letters and digits
// only) and a hash of its path, size and time, then which picture.
std::string pictureName(const std::string& videoPath, std::uint64_t size, std::int64_t modified,
                        const std::string& which, const std::string& extension);

// Writes bytes as the file name in folder, complete or not at all, without waiting for the
// storage: a picture is made again from its video whenever it is missing or not its recorded
// size, so a power cut costs a picture, never a wrong one.
OsError writePicture(Platform& platform, const std::string& folder, const std::string& name,
                     const std::vector<std::uint8_t>& bytes);

// Removes every file in folder that is not named in keep (nor the gallery's record); returns
// how many went.
std::size_t removePicturesBut(Platform& platform, const std::string& folder,
                              const std::set<std::string>& keep);

} // namespace kovra::gallery
