// The gallery's pictures of one video: a cover from its first complete frame and a strip of
// frames spread over it, found by a glance at the file and read one frame at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "avi/video_report.h"
#include "pictures/thumbnail.h"
#include "platform/platform.h"

namespace kovra {

struct PictureSizes {
    unsigned coverWidth = 320; // the first complete frame
    unsigned stripWidth = 160; // each strip frame
    unsigned stripFrames = 8;  // evenly spread over the video
};

// Picture (bytes, extension, width, height) is pictures/thumbnail.h's.

struct VideoPictures {
    // The video could not be read (its own error).
    OsError error = OsError::None;
    // From the light reading: state, format, frames, IDIT.
    avi::VideoReport report;
    // None: no complete frame gave a picture; then coverRefused says why the first one tried
    // gave none.
    std::optional<Picture> cover;
    pictures::NoPicture coverRefused = pictures::NoPicture::None;
    // stripFrames entries (fewer for a short video); none where that frame gave none, and
    // stripRefused, as long, says why.
    std::vector<std::optional<Picture>> strip;
    std::vector<pictures::NoPicture> stripRefused;
    // As long: the number (from 0) of the frame each strip entry was taken from, so that a
    // picture can be placed at its moment of the video.
    std::vector<std::uint64_t> stripFrames;
    // What was read of the file.
    std::uint64_t bytesRead = 0;
};

// Reads through the platform only what the pictures need: the headers, the index (or the chunk
// headers where there is none), and each chosen frame, its chunk header checked first. Holds
// one frame and the pictures made so far.
VideoPictures readVideoPictures(Platform& platform, const std::string& path,
                                const PictureSizes& sizes = {});

} // namespace kovra
