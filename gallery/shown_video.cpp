#include "gallery/shown_video.h"

#include "clips/timed_video.h"
#include "device/file_paths.h"

namespace kovra::gallery {

namespace {

constexpr const char* kCoverName = "cover";

std::optional<PictureFile> keep(ShownVideo& shown, PictureBatch& batch, const std::string& folder,
                                const std::string& which, const std::optional<Picture>& picture) {
    if (!picture)
        return std::nullopt;
    const GalleryVideo& video = shown.video;
    std::string name =
        pictureName(video.path, video.size, video.modified, which, picture->extension);
    OsError error = batch.add(name, picture->bytes);
    if (error != OsError::None) {
        shown.problems.push_back(
            {GalleryProblemKind::PictureUnwritable, joinPath(folder, name), error});
        return std::nullopt;
    }
    ++shown.picturesWritten;
    return PictureFile{name, picture->width, picture->height, picture->bytes.size()};
}

} // namespace

ShownVideo showVideo(Platform& platform, const std::string& path, const FileInfo& info,
                     const VideoPictures& pictures, PictureBatch& batch,
                     const std::string& folder) {
    ShownVideo shown;
    GalleryVideo& video = shown.video;
    video.path = path;
    video.size = info.size;
    video.modified = info.modified;
    shown.bytesRead = pictures.bytesRead;
    if (pictures.error != OsError::None) {
        video.readError = pictures.error;
        return shown;
    }
    const avi::VideoReport& report = pictures.report;
    video.state = report.state;
    video.findings = report.findings;
    video.frames = report.frames;
    video.width = report.width;
    video.height = report.height;
    video.fps = report.fps;
    video.durationSeconds = report.durationSeconds;
    video.time = clips::recordingTime(report, platform.localTimeOf(info.modified));
    video.cover = keep(shown, batch, folder, kCoverName, pictures.cover);
    video.coverRefused = pictures.coverRefused;
    for (std::size_t i = 0; i < pictures.strip.size(); ++i) {
        video.strip.push_back(keep(shown, batch, folder, std::to_string(i + 1), pictures.strip[i]));
        video.stripRefused.push_back(pictures.stripRefused.at(i));
    }
    return shown;
}

} // namespace kovra::gallery
