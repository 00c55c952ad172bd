// TEMPORARY, until the pictures' own reader is merged: the report only, no pictures. Removed
// by that merge.
#include "device/video_copy.h"
#include "device/video_pictures.h"

namespace kovra {

VideoPictures readVideoPictures(Platform& platform, const std::string& path,
                                const PictureSizes& sizes) {
    VideoPictures pictures;
    VideoCopy read = inspectVideo(platform, path);
    pictures.error = read.error;
    pictures.report = read.report;
    pictures.strip.resize(sizes.stripFrames);
    return pictures;
}

} // namespace kovra
