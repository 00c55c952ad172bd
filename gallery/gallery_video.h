// What the gallery knows of one video: its facts from one reading, its pictures' files, and the
// size and time of the file they were made from. Kept in the gallery's record, so that a video
// that has not changed is not read again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "avi/finding.h"
#include "avi/video_report.h"
#include "clips/recording_time.h"
#include "pictures/no_picture.h"
#include "platform/os_error.h"

namespace kovra::gallery {

struct PictureFile {
    std::string name; // in the gallery's picture folder
    unsigned width = 0, height = 0;
    std::uint64_t bytes = 0; // a file of another size is no picture of ours: made again
};

struct GalleryVideo {
    std::string path; // as read
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    OsError readError; // the video could not be read at all; never kept in the record
    avi::VideoState state = avi::VideoState::Unreadable;
    std::vector<avi::Finding> findings; // as values: the page puts them into words
    // Known from an earlier version's record, which kept the findings only as words: its
    // pictures are the gallery's, but the video is read again to know its findings.
    bool readAgain = false;
    std::uint64_t frames = 0;
    unsigned width = 0, height = 0;
    double fps = 0, durationSeconds = 0;
    std::optional<clips::RecordingTime> time; // on the recorder's clock, not yet corrected
    std::optional<PictureFile> cover;
    pictures::NoPicture coverRefused = pictures::NoPicture::None; // why there is no cover
    std::vector<std::optional<PictureFile>> strip;
    std::vector<pictures::NoPicture> stripRefused; // as long as strip: why a frame has none
};

} // namespace kovra::gallery
