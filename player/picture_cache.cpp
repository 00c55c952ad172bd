#include "player/picture_cache.h"

#include "device/video_pictures.h"

namespace kovra::player {

namespace {

// What a strip costs beyond its pictures' bytes: the entry, its vectors and each picture's.
constexpr std::size_t kStripOverhead = 512;
constexpr std::size_t kPictureOverhead = 64;

std::shared_ptr<VideoStrip> stripOf(VideoPictures made, const std::string& path, std::uint64_t size,
                                    std::int64_t modified) {
    auto strip = std::make_shared<VideoStrip>();
    strip->path = path;
    strip->size = size;
    strip->modified = modified;
    // The cover is the gallery's card picture, not a moment of the timeline: it is not kept.
    strip->pictures = std::move(made.strip);
    strip->refused = std::move(made.stripRefused);
    strip->frames = std::move(made.stripFrames);
    strip->cost = kStripOverhead + path.size();
    for (const std::optional<Picture>& picture : strip->pictures)
        strip->cost += kPictureOverhead + (picture ? picture->bytes.size() : 0);
    return strip;
}

} // namespace

std::shared_ptr<const VideoStrip> PictureCache::get(Platform& platform, const std::string& path,
                                                    std::uint64_t size, std::int64_t modified,
                                                    OsError& error) {
    error = OsError::None;
    if (std::shared_ptr<const VideoStrip> kept = strips_.find(path, size, modified))
        return kept;
    // The gallery's own reading and sizes, so that the page shows the very pictures the
    // gallery writes.
    VideoPictures made = readVideoPictures(platform, path);
    if (made.error != OsError::None) {
        error = made.error;
        return nullptr;
    }
    std::shared_ptr<const VideoStrip> strip = stripOf(std::move(made), path, size, modified);
    strips_.keep(strip);
    return strip;
}

} // namespace kovra::player
