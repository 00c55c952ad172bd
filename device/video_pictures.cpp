#include "device/video_pictures.h"

#include "avi/glance.h"
#include "device/video_files.h"
#include "pictures/jpeg_frame.h"
#include "pictures/standard_tables.h"

namespace kovra {

namespace {

// The frame's bytes, where its chunk header is still what the reading found there: an index
// trusted without reading the data may name a place that holds something else.
pictures::NoPicture readFrame(VideoFileSource& source, const avi::FramePlace& place,
                              std::vector<std::uint8_t>& frame) {
    using pictures::NoPicture;
    if (place.size == 0)
        return NoPicture::NotJpeg;
    if (place.size > pictures::kMostFrameBytes)
        return NoPicture::FrameTooLarge;
    // One read brings the header with the payload; room for the tables a frame may need is
    // reserved with it, so that they go in without a second copy of the frame.
    frame.reserve(avi::kChunkHeaderSize + place.size + pictures::standardTablesSegmentSize());
    frame.resize(avi::kChunkHeaderSize + place.size);
    if (!source.readAt(place.offset, frame.data(), frame.size()))
        return NoPicture::FrameUnreadable;
    if (avi::le32(frame.data()) != place.id ||
        avi::le32(frame.data() + avi::kFourccSize) != place.size)
        return NoPicture::FrameMoved;
    frame.erase(frame.begin(), frame.begin() + avi::kChunkHeaderSize);
    return NoPicture::None;
}

pictures::Thumbnail pictureOf(VideoFileSource& source, const avi::FramePlace& place, unsigned width,
                              std::vector<std::uint8_t>& frame) {
    pictures::NoPicture refused = readFrame(source, place, frame);
    if (refused != pictures::NoPicture::None)
        return {std::nullopt, refused};
    return pictures::makeThumbnail(frame, width);
}

} // namespace

VideoPictures readVideoPictures(Platform& platform, const std::string& path,
                                const PictureSizes& sizes) {
    VideoPictures result;
    VideoFileSource source(platform, path);
    if (source.openError() != OsError::None) {
        result.error = source.openError();
        return result;
    }
    avi::Glance glance = avi::glance(source, sizes.stripFrames);
    result.report = std::move(glance.report);
    // The one frame held: each is read over the last.
    std::vector<std::uint8_t> frame;
    result.coverRefused = pictures::NoPicture::NoFrame;
    for (const avi::FramePlace& place : glance.leading) {
        pictures::Thumbnail made = pictureOf(source, place, sizes.coverWidth, frame);
        // The first frame's reason: the one the owner would look at first.
        if (&place == &glance.leading.front() || made.picture)
            result.coverRefused = made.refused;
        if ((result.cover = std::move(made.picture)))
            break;
    }
    for (const avi::FramePlace& place : glance.spread) {
        pictures::Thumbnail made = pictureOf(source, place, sizes.stripWidth, frame);
        result.strip.push_back(std::move(made.picture));
        result.stripRefused.push_back(made.refused);
        result.stripFrames.push_back(place.frame);
    }
    if (source.readError() != OsError::None)
        result.error = source.readError();
    result.bytesRead = source.bytesRead();
    return result;
}

} // namespace kovra
