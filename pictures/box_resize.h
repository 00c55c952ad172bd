// The last step of a thumbnail: a picture already decoded near its size, brought to the exact
// size by averaging the pixels each new one covers.
#pragma once

#include "platform/picture_codec.h"

namespace kovra::pictures {

// The image at width x height, each no larger than the image's own and not 0.
RgbImage boxResize(const RgbImage& image, unsigned width, unsigned height);

} // namespace kovra::pictures
