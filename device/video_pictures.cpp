#include "device/video_pictures.h"

#include "avi/glance.h"
#include "device/video_files.h"

namespace kovra {

namespace {

// The frame's bytes, where its chunk header is still what the reading found there: an index
// trusted without reading the data may name a place that holds something else.
bool readFrame(VideoFileSource& source, const avi::FramePlace& place,
               std::vector<std::uint8_t>& frame) {
    std::uint8_t header[avi::kChunkHeaderSize];
    if (place.size == 0 || !source.readAt(place.offset, header, sizeof header) ||
        avi::le32(header) != place.id || avi::le32(header + avi::kFourccSize) != place.size)
        return false;
    frame.resize(place.size);
    return source.readAt(place.offset + avi::kChunkHeaderSize, frame.data(), frame.size());
}

std::optional<Picture> pictureOf(VideoFileSource& source, const avi::FramePlace& place,
                                 unsigned width, std::vector<std::uint8_t>& frame) {
    if (!readFrame(source, place, frame))
        return std::nullopt;
    return pictures::makeThumbnail(frame.data(), frame.size(), width);
}

} // namespace

VideoPictures readVideoPictures(Platform& platform, const std::string& path,
                                const PictureSizes& sizes) {
    VideoPictures result;
    VideoFileSource source(platform, path, VideoReads::Direct);
    if (source.openError() != OsError::None) {
        result.error = source.openError();
        return result;
    }
    avi::Glance glance = avi::glance(source, sizes.stripFrames);
    result.report = std::move(glance.report);
    // The one frame held: each is read over the last.
    std::vector<std::uint8_t> frame;
    for (const avi::FramePlace& place : glance.leading)
        if ((result.cover = pictureOf(source, place, sizes.coverWidth, frame)))
            break;
    for (const avi::FramePlace& place : glance.spread)
        result.strip.push_back(pictureOf(source, place, sizes.stripWidth, frame));
    if (source.readError() != OsError::None)
        result.error = source.readError();
    result.bytesRead = source.bytesRead();
    return result;
}

} // namespace kovra
