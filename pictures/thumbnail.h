// A recorder's frame made into a small picture for the gallery.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "pictures/no_picture.h"

namespace kovra {

struct Picture {
    std::vector<std::uint8_t> bytes; // the encoded thumbnail
    const char* extension = "jpg";   // "jpg" (or "png" where the codec must)
    unsigned width = 0, height = 0;
};

namespace pictures {

// A thumbnail's JPEG quality: small files, no blocks to see at a thumbnail's size.
constexpr unsigned kThumbnailQuality = 80;

struct Thumbnail {
    std::optional<Picture> picture; // none: refused
    NoPicture refused = NoPicture::None;
};

// The frame (a JPEG, with or without its Huffman tables, which it gets in place) as a picture
// `width` wide, or as wide as the frame where that is less, its height in proportion; none,
// and why, when the frame is no JPEG a decoder should see (see readJpegLayout) or the codec
// cannot read it.
Thumbnail makeThumbnail(std::vector<std::uint8_t>& frame, unsigned width);

} // namespace pictures
} // namespace kovra
