#include "player/frames.h"

#include <cmath>

#include "avi/exact_time.h"
#include "pictures/jpeg_frame.h"
#include "pictures/standard_tables.h"
#include "player/checked_chunk.h"
#include "player/failures.h"

namespace kovra::player {

double frameSeconds(const avi::VideoReading& reading, std::uint64_t n) {
    avi::Clock clock = avi::videoClock(reading.header);
    if (clock.num == 0 || clock.den == 0)
        return 0;
    return static_cast<double>(n) * static_cast<double>(clock.num) / static_cast<double>(clock.den);
}

std::optional<clips::ClockMillis> frameClock(const CachedVideo& video, std::uint64_t n,
                                             std::int64_t offsetMillis) {
    if (!video.time)
        return std::nullopt;
    return video.time->start + offsetMillis +
           static_cast<std::int64_t>(
               std::llround(frameSeconds(video.reading, n) * clips::kMillisPerSecond));
}

FrameAnswer frameOf(Platform& platform, const CachedVideo& video, std::uint64_t n,
                    std::int64_t offsetMillis, bool& misplaced) {
    FrameAnswer answer;
    answer.frames = video.frameChunks.size();
    if (n >= video.frameChunks.size()) {
        answer.failure =
            refused(Refusal::NotFound, "the video has " + std::to_string(answer.frames) +
                                           " frames, not " + std::to_string(n + 1));
        return answer;
    }
    const avi::DataChunk& chunk = video.reading.chunks[video.frameChunks[n]];
    if (chunk.size > kMostFrameBytes) {
        answer.failure = noPicture(video.path, n, pictures::NoPicture::FrameTooLarge);
        return answer;
    }
    VideoFileSource source(platform, video.path);
    if (source.openError() != OsError::None) {
        answer.failure = unreadable(video.path, source.openError());
        return answer;
    }
    std::vector<std::uint8_t>& jpeg = answer.jpeg;
    // Room for the tables reserved with the frame, so that they go in without a second copy.
    jpeg.reserve(avi::kChunkHeaderSize + chunk.size + pictures::standardTablesSegmentSize());
    ChunkRead read = readCheckedChunk(source, chunk, 0, chunk.size, jpeg);
    if (read == ChunkRead::Unreadable) {
        answer.failure = unreadable(video.path, source.readError() != OsError::None
                                                    ? source.readError()
                                                    : OsError(OsError::ShortRead));
        return answer;
    }
    misplaced = read == ChunkRead::Moved;
    pictures::JpegCheck check =
        read == ChunkRead::Moved
            ? pictures::JpegCheck{std::nullopt, pictures::NoPicture::FrameMoved}
            : pictures::readJpegLayout(jpeg.data(), jpeg.size());
    if (!check.layout) {
        answer.jpeg.clear();
        answer.failure = noPicture(video.path, n, check.refused);
        return answer;
    }
    pictures::addHuffmanTables(jpeg, *check.layout);
    answer.seconds = frameSeconds(video.reading, n);
    answer.clock = frameClock(video, n, offsetMillis);
    return answer;
}

} // namespace kovra::player
