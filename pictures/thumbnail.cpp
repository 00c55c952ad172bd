#include "pictures/thumbnail.h"

#include <algorithm>

#include "pictures/box_resize.h"
#include "pictures/jpeg_frame.h"
#include "platform/picture_codec.h"

namespace kovra::pictures {

Thumbnail makeThumbnail(std::vector<std::uint8_t>& frame, unsigned width) {
    JpegCheck check = readJpegLayout(frame.data(), frame.size());
    if (!check.layout)
        return {std::nullopt, check.refused};
    const std::optional<JpegLayout>& layout = check.layout;
    if (width == 0)
        return {std::nullopt, NoPicture::NotDecoded};
    unsigned w = std::min(width, layout->width);
    // The height in proportion, rounded, never 0.
    unsigned h = static_cast<unsigned>((std::uint64_t{layout->height} * w + layout->width / 2) /
                                       layout->width);
    h = std::max(h, 1u);

    addHuffmanTables(frame, *layout);
    RgbImage decoded;
    if (!decodeJpegScaled(frame.data(), frame.size(), w, h, decoded) || decoded.width < w ||
        decoded.height < h)
        return {std::nullopt, NoPicture::NotDecoded};
    RgbImage sized = boxResize(decoded, w, h);
    decoded = {};
    EncodedImage encoded;
    if (!encodeThumbnail(sized, kThumbnailQuality, encoded))
        return {std::nullopt, NoPicture::NotDecoded};
    return {Picture{std::move(encoded.bytes), encoded.extension, w, h}, NoPicture::None};
}

} // namespace kovra::pictures
