#include "player/reading_cache.h"

#include <iterator>
#include <limits>

#include "clips/timed_video.h"
#include "device/video_files.h"

namespace kovra::player {

namespace {

// What a reading costs beyond its chunk list: the entry, the header's streams, the report.
constexpr std::size_t kReadingOverhead = 4096;

std::size_t costOf(const CachedVideo& video) {
    std::size_t blocks = (video.reading.chunks.size() + avi::ChunkList::kBlockChunks - 1) /
                         avi::ChunkList::kBlockChunks;
    return kReadingOverhead + blocks * avi::ChunkList::kBlockChunks * sizeof(avi::DataChunk) +
           video.frameChunks.capacity() * sizeof(std::uint32_t) + video.path.size();
}

std::shared_ptr<CachedVideo> readCached(Platform& platform, const std::string& path,
                                        const FileInfo& info, avi::ReadingDepth depth,
                                        OsError& error) {
    auto video = std::make_shared<CachedVideo>();
    video->path = path;
    video->size = info.size;
    video->modified = info.modified;
    VideoFileSource source(platform, path);
    error = source.openError();
    if (error != OsError::None)
        return nullptr;
    video->reading = avi::readVideo(source, avi::Chunks::Keep, depth);
    video->whole = depth == avi::ReadingDepth::Full;
    error = source.readError();
    if (error != OsError::None)
        return nullptr;
    const avi::VideoReading& reading = video->reading;
    if (reading.report.state != avi::VideoState::Unreadable &&
        reading.chunks.size() <= std::numeric_limits<std::uint32_t>::max()) {
        video->frameChunks.reserve(reading.tally.streams[reading.header.videoStream].chunks);
        for (std::size_t i = 0; i < reading.chunks.size(); ++i)
            if (reading.chunks[i].stream == reading.header.videoStream)
                video->frameChunks.push_back(static_cast<std::uint32_t>(i));
    }
    video->time = clips::timedVideo(platform, path, reading.report).time;
    video->cost = costOf(*video);
    return video;
}

} // namespace

std::shared_ptr<const CachedVideo> ReadingCache::get(Platform& platform, const std::string& path,
                                                     OsError& error) {
    FileInfo info;
    error = platform.info(path.c_str(), info);
    if (error != OsError::None)
        return nullptr;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if ((*it)->path != path)
            continue;
        std::shared_ptr<const CachedVideo> found = *it;
        held_ -= found->cost;
        entries_.erase(it);
        if (found->size == info.size && found->modified == info.modified) {
            keep(found);
            return found;
        }
        break; // changed since: read again
    }
    std::shared_ptr<const CachedVideo> video =
        readCached(platform, path, info, avi::ReadingDepth::Glance, error);
    if (video)
        keep(video);
    return video;
}

std::shared_ptr<const CachedVideo>
ReadingCache::readWhole(Platform& platform, const std::string& path, OsError& error) {
    drop(path);
    FileInfo info;
    error = platform.info(path.c_str(), info);
    if (error != OsError::None)
        return nullptr;
    std::shared_ptr<const CachedVideo> video =
        readCached(platform, path, info, avi::ReadingDepth::Full, error);
    if (video)
        keep(video);
    return video;
}

void ReadingCache::drop(const std::string& path) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if ((*it)->path == path) {
            held_ -= (*it)->cost;
            entries_.erase(it);
            return;
        }
}

bool ReadingCache::holds(const std::string& path) const {
    for (const std::shared_ptr<const CachedVideo>& video : entries_)
        if (video->path == path)
            return true;
    return false;
}

void ReadingCache::keep(std::shared_ptr<const CachedVideo> video) {
    if (video->cost > mostBytes_)
        return;
    held_ += video->cost;
    entries_.push_front(std::move(video));
    // An indexed video is read again in a fraction of a millisecond, its index alone; one a
    // power cut left without an index costs a walk over every chunk header, a read each: those
    // are let go only once no indexed one is left to let go.
    while (held_ > mostBytes_) {
        auto out = std::prev(entries_.end());
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
            if ((*it)->reading.chunksFromIndex) {
                out = std::prev(it.base());
                break;
            }
        held_ -= (*out)->cost;
        entries_.erase(out);
    }
}

} // namespace kovra::player
