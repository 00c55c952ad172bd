// The glance against the full reading, on a recording ffmpeg makes as the recorder does: the
// same frames and findings, the frames it picks where the full reading has them, and a small
// part of the file read, counted as a file's reads would be.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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
// The part of a 4-second recording a glance may read: headers, index, chunk headers.
constexpr double kMostShare = 0.02;

struct Case {
    const char* name;
    double keep; // of the file, as a power cut leaves it
    VideoState state;
};

// Checks the glance of bytes against the full reading of the same bytes.
void compareWithFullReading(const Case& c, const Bytes& bytes) {
    SCOPED_TRACE(c.name);
    CountingSource full(bytes), light(bytes);
    VideoReading reading = readVideo(full, true);
    Glance g = glance(light, kStrip);
    EXPECT_EQ(g.report.state, c.state);
    EXPECT_EQ(g.report.frames, reading.report.frames);
    EXPECT_EQ(g.report.findings, reading.report.findings);
    EXPECT_EQ(g.report.repairedSize, reading.report.repairedSize);

    std::vector<const DataChunk*> frames;
    for (const DataChunk& chunk : reading.chunks)
        if (chunk.stream == reading.header.videoStream)
            frames.push_back(&chunk);
    ASSERT_FALSE(g.leading.empty());
    EXPECT_EQ(g.leading[0].offset, frames[0]->offset());
    const std::size_t spread = std::min<std::size_t>(kStrip, frames.size());
    ASSERT_EQ(g.spread.size(), spread);
    for (const FramePlace& place : g.spread) {
        ASSERT_LT(place.frame, frames.size());
        EXPECT_EQ(place.offset, frames[place.frame]->offset());
        EXPECT_EQ(place.size, frames[place.frame]->size);
        EXPECT_EQ(place.id, makeDataId(reading.header.videoStream, DataKind::Compressed));
    }
    // Spread: each frame in its own part of the video, in order.
    for (std::size_t i = 0; i < spread; ++i) {
        EXPECT_GE(g.spread[i].frame * spread, i * frames.size());
        EXPECT_LT(g.spread[i].frame * spread, (i + 1) * frames.size());
    }
    std::printf("%s: the glance read %llu of %zu bytes\n", c.name,
                static_cast<unsigned long long>(light.read), bytes.size());
    EXPECT_GE(full.read, bytes.size() / 2);
    EXPECT_LE(static_cast<double>(light.read), kMostShare * bytes.size());
}

// The 4-second clip, made once for the suite; null with ffmpeg's words where it cannot be.
const Bytes* sharedClip(std::string& error) {
    static kovra::test::ScratchDir dir;
    static std::string words;
    static std::optional<Bytes> clip = [] {
        Bytes bytes;
        return makeRecorderClip(dir, 4, bytes, words) ? std::optional<Bytes>(bytes) : std::nullopt;
    }();
    error = words;
    return clip ? &*clip : nullptr;
}

class AviGlance : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        clip_ = sharedClip(error);
        if (!clip_)
            GTEST_SKIP() << "ffmpeg could not make the clip (Debian package ffmpeg; make test "
                            "installs it): "
                         << error;
    }
    const Bytes* clip_ = nullptr;
};

TEST_F(AviGlance, AgreesWithTheFullReadingAndReadsLittle) {
    const Case cases[] = {
        // An index trusted without its chunks read must still list the same frames.
        {"closed", 1.0, VideoState::Ok},
        // The chunk-header hop must stop at the cut and count what a full walk counts.
        {"cut in a frame", 0.6, VideoState::Repairable},
        // A cut early in the data leaves a few frames, still spread over eight parts.
        {"cut early", 0.1, VideoState::Repairable},
    };
    for (const Case& c : cases) {
        Bytes bytes(clip_->begin(),
                    clip_->begin() + static_cast<std::ptrdiff_t>(c.keep * clip_->size()));
        compareWithFullReading(c, bytes);
    }
}

// An index whose entries run out of order is no index to trust: the glance walks instead.
TEST_F(AviGlance, AnIndexOutOfOrderIsWalkedPast) {
    Bytes bytes = *clip_;
    std::size_t entries = findFourcc(bytes, "idx1") + 8;
    constexpr std::size_t kEntry = 16, kOffset = 8;
    std::uint32_t first = getLe32(bytes, entries + kOffset);
    putLe32(bytes, entries + kOffset, getLe32(bytes, entries + kEntry + kOffset));
    putLe32(bytes, entries + kEntry + kOffset, first);
    compareWithFullReading({"swapped entries", 1.0, VideoState::Repairable}, bytes);
}

} // namespace
} // namespace kovra::avi::test
