#include "tests/player/player_card.h"

#include <algorithm>

#include "avi/byte_source.h"
#include "avi/riff.h"
#include "avi/video_reading.h"
#include "platform/platform.h"
#include "tests/pictures/ffmpeg_frames.h"

namespace kovra::player::test {

namespace {

constexpr std::size_t kMarsSize = 4;
// The share of the closed recording the cut one keeps: its index and last part gone.
constexpr double kCutShare = 0.6;
constexpr std::int64_t kClosedAt = 1192543330; // 2007-10-16 14:02:10 UTC
constexpr std::int64_t kSecondsApart = 10;

Bytes decoded(const kovra::test::ScratchDir& dir, const std::vector<std::string>& args) {
    std::string out = dir.file("decoded.raw"), error;
    std::vector<std::string> all = args;
    all.push_back(out);
    if (!pictures::test::runFfmpeg(dir, all, error))
        return {};
    return kovra::test::readAll(out);
}

} // namespace

bool PlayerCard::make(std::string& error) {
    folder = (dir.path() / "card").string();
    std::filesystem::create_directory(folder);
    original = dir.file("original.avi");
    if (!pictures::test::runFfmpeg(dir, {"-f",       "lavfi",
                                         "-i",       "testsrc=size=640x480:rate=15",
                                         "-f",       "lavfi",
                                         "-i",       "sine=frequency=440:sample_rate=8000",
                                         "-t",       std::to_string(kCardSeconds),
                                         "-c:v",     "mjpeg",
                                         "-huffman", "default",
                                         "-q:v",     "5",
                                         "-c:a",     "pcm_s16le",
                                         "-ac",      "1",
                                         original},
                                   error))
        return false;
    closedBytes = kovra::test::readAll(original);
    const std::string id = "00dc";
    for (std::size_t i = 0; i + avi::kChunkHeaderSize < closedBytes.size(); ++i)
        if (std::equal(id.begin(), id.end(), closedBytes.begin() + std::ptrdiff_t(i)))
            pictures::test::hideTables(closedBytes, i + avi::kChunkHeaderSize);
    std::copy_n("MARS", kMarsSize, closedBytes.begin());
    cutBytes.assign(closedBytes.begin(),
                    closedBytes.begin() + std::ptrdiff_t(closedBytes.size() * kCutShare));
    closed = (dir.path() / "card" / "MOV0001.avi").string();
    cut = (dir.path() / "card" / "MOV0002.avi").string();
    kovra::test::writeAll(closed, closedBytes);
    kovra::test::writeAll(cut, cutBytes);
    auto setTime = [](const std::string& path, std::int64_t seconds) {
        return systemPlatform().setModified(path.c_str(), seconds) == OsError::None;
    };
    if (!setTime(closed, kClosedAt) || !setTime(cut, kClosedAt + kSecondsApart)) {
        error = "could not set the recordings' times";
        return false;
    }
    for (cutFrames = 0; !framePayload(cutBytes, cutFrames).empty();)
        ++cutFrames;
    return true;
}

Bytes framePayload(const Bytes& video, std::uint64_t n) {
    avi::MemorySource source(video);
    avi::VideoReading reading = avi::readVideo(source, avi::Chunks::Keep);
    for (const avi::DataChunk& chunk : reading.chunks)
        if (chunk.stream == reading.header.videoStream && n-- == 0) {
            auto at = video.begin() + std::ptrdiff_t(chunk.offset() + avi::kChunkHeaderSize);
            return Bytes(at, at + chunk.size);
        }
    return {};
}

Bytes ffmpegSound(const kovra::test::ScratchDir& dir, const std::string& file) {
    return decoded(dir, {"-i", file, "-map", "0:a", "-f", "s16le"});
}

Bytes ffmpegFrameRgb(const kovra::test::ScratchDir& dir, const std::string& file, std::uint64_t n) {
    return decoded(dir, {"-i", file, "-vf", "select=eq(n\\," + std::to_string(n) + ")", "-frames:v",
                         "1", "-f", "rawvideo", "-pix_fmt", "rgb24"});
}

} // namespace kovra::player::test
