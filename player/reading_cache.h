// The readings of the videos the player was lately asked about, each with where its frames lie
// and when it was recorded, so that a frame request reads that frame's bytes alone: a video is
// glanced at (headers and index, or where a power cut left no index its chunk headers walked)
// the first time it is asked for, or again once its size or time changed. Bounded by the bytes
// the readings take, the least recently used indexed one let go first: a video without an
// index, which costs a walk to read again, only once no indexed one is left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "avi/video_reading.h"
#include "clips/recording_time.h"
#include "platform/platform.h"
#include "player/bytes_bounded_cache.h"

namespace kovra::player {

// A few recorders' minutes of chunk lists (12 bytes a chunk): 200 loop recordings would take
// tens of megabytes, and the server as a whole keeps under 30 MiB.
constexpr std::size_t kDefaultCacheBytes = 4u << 20;

struct CachedVideo {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    avi::VideoReading reading; // with its chunks
    // Each video frame's place in reading.chunks, in the stream's order.
    std::vector<std::uint32_t> frameChunks;
    std::optional<clips::RecordingTime> time; // on the recorder's clock, none for no time
    bool whole = false;   // read whole: an index checked against every chunk it lists
    std::size_t cost = 0; // the bytes it holds, about
};

class ReadingCache {
  public:
    explicit ReadingCache(std::size_t mostBytes = kDefaultCacheBytes) : readings_(mostBytes) {}

    // The reading of path, glanced at now where none is kept or the file changed since; error
    // where the file could not be opened or read. Shared, so that one in use outlives being let
    // go. A reading larger than the whole bound is handed out but not kept.
    std::shared_ptr<const CachedVideo> get(Platform& platform, const std::string& path,
                                           OsError& error);

    // The same, read whole now (every chunk an index lists checked there, the data walked where
    // they disagree), in place of a glance that trusted an index misstating a chunk.
    std::shared_ptr<const CachedVideo> readWhole(Platform& platform, const std::string& path,
                                                 OsError& error);
    // Whether path's reading is kept (as of its last get()).
    bool holds(const std::string& path) const { return readings_.holds(path); }
    std::size_t bytesHeld() const { return readings_.bytesHeld(); }
    std::size_t videosHeld() const { return readings_.entriesHeld(); }

  private:
    // An indexed video is read again in a fraction of a millisecond, its index alone; one a
    // power cut left without an index costs a walk over every chunk header, a read each: those
    // are let go only once no indexed one is left to let go.
    struct ReadFromIndex {
        bool operator()(const CachedVideo& video) const { return video.reading.chunksFromIndex; }
    };
    BytesBoundedCache<CachedVideo, ReadFromIndex> readings_;
};

} // namespace kovra::player
