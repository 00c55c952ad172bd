// The system's picture codec, behind two calls: libjpeg-turbo on POSIX, WIC on Windows. The
// build links exactly one implementation; the caller checks a JPEG before handing it over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kovra {

// Three bytes a pixel (red, green, blue), rows from the top, no padding.
struct RgbImage {
    unsigned width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

struct EncodedImage {
    std::vector<std::uint8_t> bytes;
    const char* extension = "jpg"; // of a file holding the bytes
};

// Decodes a whole JPEG, its tables in place, scaled down as far as the codec can cheaply while
// keeping at least width x height (which is no larger than the JPEG's own size); false when
// it cannot be decoded.
bool decodeJpegScaled(const std::uint8_t* jpeg, std::size_t size, unsigned width, unsigned height,
                      RgbImage& image);

// Encodes the image as a small picture file: a JPEG of the quality given (1 to 100) where the
// system's codec can write one.
bool encodeThumbnail(const RgbImage& image, unsigned quality, EncodedImage& encoded);

} // namespace kovra
