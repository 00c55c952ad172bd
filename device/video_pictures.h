// A video's pictures for the gallery: its first complete frame and a strip of frames evenly
// spread over it, read with as little of the file as will do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "avi/video_report.h"
#include "platform/platform.h"

namespace kovra {

struct PictureSizes {
    unsigned coverWidth = 320;
    unsigned stripWidth = 160;
    unsigned stripFrames = 8;
};
struct Picture {
    std::vector<std::uint8_t> bytes;
    const char* extension = "jpg";
    unsigned width = 0, height = 0;
};
struct VideoPictures {
    OsError error = OsError::None;             // the video could not be read (its own error)
    avi::VideoReport report;                   // from a light reading: state, format, frames, IDIT
    std::optional<Picture> cover;              // none: no complete frame gave a picture
    std::vector<std::optional<Picture>> strip; // none where that frame gave no picture
    std::uint64_t bytesRead = 0;               // what was read of the file
};
VideoPictures readVideoPictures(Platform& platform, const std::string& path,
                                const PictureSizes& sizes = {});

} // namespace kovra
