// The pictures of many videos, as a gallery wants them: decoding frames is most of its time,
// so the videos are read on as many threads as the machine runs at once, and handed back one
// by one, in the order given, on the calling thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "device/video_pictures.h"

namespace kovra {

// take(i, pictures of paths[i]) for each path in order; only a few videos ahead of the one
// taken are held. Where no thread can be started, the videos are read one after another.
void readPicturesOfEach(Platform& platform, const std::vector<std::string>& paths,
                        const PictureSizes& sizes,
                        const std::function<void(std::size_t, VideoPictures&)>& take);

} // namespace kovra
