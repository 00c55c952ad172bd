// The glance against the full reading, on a recording ffmpeg makes as the recorder does: the
// same frames and findings, the frames it picks where the full reading has them, and a small
// part of the file read, counted as a file's reads would be.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "avi/glance.h"
#include "tests/avi/ffmpeg_clip.h"

namespace kovra::avi::test {
namespace {

// Reads as a file does (every read a call), counting the bytes.
class CountingSource final : public ByteSource {
  public:
    explicit CountingSource(const Bytes& bytes) : memory_(bytes) {}
    std::uint64_t size() const override { return memory_.size(); }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override {
        read += n;
        return memory_.readAt(offset, buffer, n);
    }
    std::uint64_t read = 0;

  private:
    MemorySource memory_;
};

constexpr unsigned kStrip = 8;
// Of a 4-second recording, what a glance may read: headers, index, chunk headers.
constexpr double kMostShare = 0.02;

void compareWithFullReading(const Bytes& bytes, VideoState state) {
    CountingSource full(bytes), light(bytes);
    VideoReading reading = readVideo(full, Chunks::Keep);
    Glance g = glance(light, kStrip);
    EXPECT_EQ(g.report.state, state);
    EXPECT_EQ(g.report.frames, reading.report.frames);
    EXPECT_EQ(g.report.findings, reading.report.findings);
    EXPECT_EQ(g.report.repairedSize, reading.report.repairedSize);
    std::vector<const DataChunk*> frames;
    for (const DataChunk& chunk : reading.chunks)
        if (chunk.stream == reading.header.videoStream)
            frames.push_back(&chunk);
    ASSERT_FALSE(g.leading.empty());
    EXPECT_EQ(g.leading[0].offset, frames[0]->offset());
    // One frame in each part of the video, where the full reading has it.
    const std::size_t parts = std::min<std::size_t>(kStrip, frames.size());
    ASSERT_EQ(g.spread.size(), parts);
    for (std::size_t i = 0; i < parts; ++i) {
        const FramePlace& place = g.spread[i];
        EXPECT_GE(place.frame * parts, i * frames.size());
        EXPECT_LT(place.frame * parts, (i + 1) * frames.size());
        EXPECT_EQ(place.offset, frames[place.frame]->offset());
        EXPECT_EQ(place.size, frames[place.frame]->size);
        EXPECT_EQ(place.id, makeDataId(reading.header.videoStream, DataKind::Compressed));
    }
    EXPECT_GT(full.read, 4 * light.read); // the full reading looks at every chunk
    EXPECT_LE(static_cast<double>(light.read), kMostShare * bytes.size());
}

TEST(AviGlance, AgreesWithTheFullReadingAndReadsLittle) {
    kovra::test::ScratchDir dir;
    Bytes clip;
    std::string error;
    if (!makeRecorderClip(dir, 4, clip, error))
        GTEST_SKIP() << "ffmpeg could not make the clip (Debian package ffmpeg; make test "
                        "installs it): "
                     << error;
    auto keep = [&](std::size_t tenths) {
        return Bytes(clip.begin(), clip.begin() + std::ptrdiff_t(clip.size() * tenths / 10));
    };
    Bytes swapped = clip;
    std::size_t entries = findFourcc(swapped, "idx1") + 8, kEntry = 16, kOffset = 8;
    std::uint32_t first = getLe32(swapped, entries + kOffset);
    putLe32(swapped, entries + kOffset, getLe32(swapped, entries + kEntry + kOffset));
    putLe32(swapped, entries + kEntry + kOffset, first);
    const struct {
        const char* name;
        Bytes bytes;
        VideoState state;
    } cases[] = {
        // An index trusted without its chunks read must still list the same frames.
        {"closed", clip, VideoState::Ok},
        // The chunk-header hop must stop at the cut and count what a full walk counts.
        {"cut in a frame", keep(6), VideoState::Repairable},
        // A cut early in the data leaves a few frames, still spread over the parts.
        {"cut early", keep(1), VideoState::Repairable},
        // Entries out of order are no index to trust: the glance walks instead.
        {"swapped entries", swapped, VideoState::Repairable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        compareWithFullReading(c.bytes, c.state);
    }
}

} // namespace
} // namespace kovra::avi::test
