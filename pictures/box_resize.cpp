#include "pictures/box_resize.h"

#include <algorithm>
#include <cstdint>

namespace kovra::pictures {

namespace {

constexpr std::size_t kChannels = 3;

// The source pixels [first, last) that new pixel `i` of `count` covers, never none.
void span(unsigned i, unsigned count, unsigned source, unsigned& first, unsigned& last) {
    first = static_cast<unsigned>(std::uint64_t{i} * source / count);
    last = static_cast<unsigned>(std::uint64_t{i + 1} * source / count);
    last = std::max(last, first + 1);
}

} // namespace

RgbImage boxResize(const RgbImage& image, unsigned width, unsigned height) {
    if (image.width == width && image.height == height)
        return image;
    RgbImage out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * height * kChannels);
    const std::size_t sourceStride = static_cast<std::size_t>(image.width) * kChannels;
    for (unsigned y = 0; y < height; ++y) {
        unsigned top, bottom;
        span(y, height, image.height, top, bottom);
        for (unsigned x = 0; x < width; ++x) {
            unsigned left, right;
            span(x, width, image.width, left, right);
            std::uint64_t sums[kChannels] = {};
            for (unsigned sy = top; sy < bottom; ++sy) {
                const std::uint8_t* row = image.pixels.data() + sy * sourceStride;
                for (unsigned sx = left; sx < right; ++sx)
                    for (std::size_t c = 0; c < kChannels; ++c)
                        sums[c] += row[sx * kChannels + c];
            }
            std::uint64_t area = std::uint64_t{bottom - top} * (right - left);
            std::uint8_t* pixel = out.pixels.data() + (std::size_t{y} * width + x) * kChannels;
            for (std::size_t c = 0; c < kChannels; ++c)
                pixel[c] = static_cast<std::uint8_t>((sums[c] + area / 2) / area);
        }
    }
    return out;
}

} // namespace kovra::pictures
