// The recorder's own kind of file, whole: judged sound, and copied byte for byte with "RIFF".
#include <gtest/gtest.h>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

TEST(AviSoundFile, ReportsWhatTheHeadersAndIndexHold) {
    Bytes mars = corpusVideo("sound_mars");
    VideoReport r = inspectBytes(mars);
    EXPECT_EQ(r.state, VideoState::Ok);
    EXPECT_TRUE(r.problems.empty()) << r.problems.front();
    EXPECT_EQ(r.signature, Signature::Mars);
    EXPECT_EQ(r.codec, "MJPG");
    EXPECT_EQ(r.width, 64u);
    EXPECT_EQ(r.height, 48u);
    EXPECT_DOUBLE_EQ(r.fps, 15.0);
    EXPECT_EQ(r.frames, 4u);
    EXPECT_DOUBLE_EQ(r.durationSeconds, 4 / 15.0);
    ASSERT_TRUE(r.audio.has_value());
    EXPECT_EQ(r.audio->formatTag, 1u);
    EXPECT_EQ(r.audio->channels, 1u);
    EXPECT_EQ(r.audio->samplesPerSecond, 8000u);
    EXPECT_EQ(r.audio->bitsPerSample, 16u);
    EXPECT_EQ(r.repairedSize, mars.size());
}

// Guards against a repair that rewrites a sound file instead of copying it, and against a
// second repair changing what the first wrote.
TEST(AviSoundFile, RepairIsACopyWithRiffAndRepairsToItself) {
    Bytes mars = corpusVideo("sound_mars");
    Bytes expected = mars;
    std::copy_n("RIFF", 4, expected.begin());
    Repaired once = repairBytes(mars);
    EXPECT_TRUE(once.result.written);
    EXPECT_TRUE(once.result.wasSound);
    EXPECT_EQ(once.result.frames, 4u);
    EXPECT_EQ(once.result.fixed, std::vector<std::string>{"signature RIFF"});
    EXPECT_TRUE(once.bytes == expected);
    Repaired twice = repairBytes(once.bytes);
    EXPECT_TRUE(twice.result.wasSound);
    EXPECT_TRUE(twice.result.fixed.empty());
    EXPECT_TRUE(twice.bytes == once.bytes);
}

class FailingSink final : public ByteSink {
  public:
    bool write(const void*, std::size_t) override { return false; }
    bool writeAt(std::uint64_t, const void*, std::size_t) override { return false; }
    bool truncate(std::uint64_t) override { return false; }
};

// A full card or a pulled stick while writing: repair must not claim a written file.
TEST(AviSoundFile, FailedSinkWriteIsNotWritten) {
    for (const char* name : {"sound_mars", "no_index"}) {
        Bytes video = corpusVideo(name);
        MemorySource source(video);
        FailingSink sink;
        RepairResult result = repair(source, sink);
        EXPECT_FALSE(result.written) << name;
        EXPECT_EQ(result.reason, "the output could not be written") << name;
    }
}

} // namespace
} // namespace kovra::avi::test
