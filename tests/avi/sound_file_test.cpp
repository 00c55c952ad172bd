// The recorder's own kind of file, whole: judged sound, and copied byte for byte with "RIFF".
#include <gtest/gtest.h>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

TEST(AviSoundFile, ReportsWhatTheHeadersAndIndexHold) {
    Bytes mars = corpusVideo("sound_mars");
    VideoReport r = inspectBytes(mars);
    EXPECT_EQ(r.state, VideoState::Ok);
    EXPECT_TRUE(r.findings.empty());
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

// Guards against a repair that rewrites a sound file instead of copying it (one piece from
// the first byte, "RIFF" written over "MARS"), and against a second repair changing what the
// first wrote.
TEST(AviSoundFile, RepairIsACopyWithRiffAndRepairsToItself) {
    Bytes mars = corpusVideo("sound_mars");
    Bytes expected = mars;
    std::copy_n("RIFF", 4, expected.begin());
    Repaired once = repairBytes(mars);
    EXPECT_TRUE(once.outcome.written);
    EXPECT_EQ(once.report.state, VideoState::Ok);
    EXPECT_EQ(once.outcome.frames, 4u);
    EXPECT_EQ(once.outcome.size, mars.size());
    EXPECT_TRUE(once.bytes == expected);
    Repaired twice = repairBytes(once.bytes);
    EXPECT_EQ(twice.report.signature, Signature::Riff);
    EXPECT_TRUE(twice.bytes == once.bytes);

    MemorySource source(mars);
    RecordingOutput calls;
    ASSERT_TRUE(writeRepair(readVideo(source, Chunks::Keep), calls).written);
    EXPECT_EQ(calls.calls, (std::vector<std::string>{
                               "appendFrom 0 0 " + std::to_string(mars.size()), "overwrite 0 4"}));
}

// A full card or a pulled stick while writing: the writer must not claim a written file.
TEST(AviSoundFile, FailedSinkWriteIsNotWritten) {
    for (const char* name : {"sound_mars", "no_index"}) {
        Bytes video = corpusVideo(name);
        MemorySource source(video);
        RecordingOutput sink(true);
        WriteOutcome outcome = writeRepair(readVideo(source, Chunks::Keep), sink);
        EXPECT_FALSE(outcome.written) << name;
        EXPECT_EQ(sink.calls.size(), 1u) << name << ": went on after a failed call";
    }
}

} // namespace
} // namespace kovra::avi::test
