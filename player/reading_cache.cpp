#include "player/reading_cache.h"

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
    if (std::shared_ptr<const CachedVideo> kept = readings_.find(path, info.size, info.modified))
        return kept;
    std::shared_ptr<const CachedVideo> video =
        readCached(platform, path, info, avi::ReadingDepth::Glance, error);
    if (video)
        readings_.keep(video);
    return video;
}

std::shared_ptr<const CachedVideo>
ReadingCache::readWhole(Platform& platform, const std::string& path, OsError& error) {
    readings_.drop(path);
    FileInfo info;
    error = platform.info(path.c_str(), info);
    if (error != OsError::None)
        return nullptr;
    std::shared_ptr<const CachedVideo> video =
        readCached(platform, path, info, avi::ReadingDepth::Full, error);
    if (video)
        readings_.keep(video);
    return video;
}

} // namespace kovra::player
