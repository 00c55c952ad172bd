// The gallery's strips of the videos the page lately asked about, so that a preview the page
// shows over the timeline is made once: each strip made by the gallery's own reading
// (readVideoPictures(), the same sizes), kept while its video keeps its size and time. Bounded
// by the pictures' bytes, the least recently used strip let go first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pictures/no_picture.h"
#include "pictures/thumbnail.h"
#include "platform/platform.h"
#include "player/bytes_bounded_cache.h"

namespace kovra::player {

// A strip is eight pictures of a few kilobytes: this keeps some dozens of videos' strips, a
// small part of the 30 MiB the server keeps under.
constexpr std::size_t kDefaultPictureBytes = 2u << 20;

struct VideoStrip {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    // Each as long: the picture (none where its frame gave none, and refused says why) and the
    // number of the frame it was made from.
    std::vector<std::optional<Picture>> pictures;
    std::vector<pictures::NoPicture> refused;
    std::vector<std::uint64_t> frames;
    std::size_t cost = 0; // the bytes it holds, about
};

class PictureCache {
  public:
    explicit PictureCache(std::size_t mostBytes = kDefaultPictureBytes) : strips_(mostBytes) {}

    // The strip of path as it is at size and modified (as the player's reading of it found
    // them), made now where none is kept for them; none, and error, where the video could not
    // be read. A strip larger than the whole bound is handed out but not kept.
    std::shared_ptr<const VideoStrip> get(Platform& platform, const std::string& path,
                                          std::uint64_t size, std::int64_t modified,
                                          OsError& error);

    std::size_t bytesHeld() const { return strips_.bytesHeld(); }
    std::size_t videosHeld() const { return strips_.entriesHeld(); }

  private:
    // Every strip costs the same reading to make again.
    struct AnyStrip {
        bool operator()(const VideoStrip&) const { return true; }
    };
    BytesBoundedCache<VideoStrip, AnyStrip> strips_;
};

} // namespace kovra::player
