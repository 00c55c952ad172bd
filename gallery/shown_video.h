// What one reading of a video shows in the gallery, its pictures written under temporary names:
// the same whether the gallery reads the video itself or an export's reading thread did while
// the copies went on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/video_pictures.h"
#include "gallery/gallery_video.h"
#include "gallery/picture_files.h"

namespace kovra::gallery {

// What went wrong while the gallery was still written: it shows the rest.
enum class GalleryProblemKind {
    VideoUnreadable,   // path, a video, could not be read (error): shown as unreadable
    PictureUnwritable, // path, one of its pictures, could not be written (error): left out
    RecordUnwritable,  // path, the record, could not be saved (error): the next gallery reads
                       // every video again
};

struct GalleryProblem {
    GalleryProblemKind kind;
    std::string path;
    OsError error;
};

struct ShownVideo {
    GalleryVideo video;
    std::vector<GalleryProblem> problems; // its pictures not written, in the order met
    std::size_t picturesWritten = 0;
    std::uint64_t bytesRead = 0;
};

// The video at path (a file of info's size and time) as pictures shows it, each picture added
// to batch, whose folder is folder.
ShownVideo showVideo(Platform& platform, const std::string& path, const FileInfo& info,
                     const VideoPictures& pictures, PictureBatch& batch, const std::string& folder);

} // namespace kovra::gallery
