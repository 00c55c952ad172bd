// OpenDML videos too large for one plain RIFF: the bytes are made up as they are read, so no
// test writes gigabytes to disk.
#include <gtest/gtest.h>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

// The clip's header, then one frame in the first RIFF and one in a RIFF AVIX part.
MadeUpSource openDmlVideo(std::uint32_t frameSize) {
    Bytes clip = corpusVideo("sound_mars");
    MadeUpSource source;
    source.append(Bytes(clip.begin(), clip.begin() + findFourcc(clip, "movi") - 8));
    std::uint32_t movi = 4 + 8 + frameSize;
    source.append(MadeUpSource::header("LIST", movi, "movi"));
    source.appendFrame(frameSize);
    source.append(MadeUpSource::header("RIFF", 4 + 8 + movi, "AVIX"));
    source.append(MadeUpSource::header("LIST", movi, "movi"));
    source.appendFrame(frameSize);
    return source;
}

// Counts what the writer gives it, reading nothing.
class CountingOutput final : public OutputSink {
  public:
    bool append(const void*, std::size_t n) override {
        written += n;
        return true;
    }
    bool appendFrom(std::size_t, std::uint64_t, std::uint64_t n) override {
        written += n;
        return true;
    }
    bool overwrite(std::uint64_t offset, const void*, std::size_t n) override {
        return offset <= written && n <= written - offset;
    }
    std::uint64_t written = 0;
};

// Guards against a merged RIFF whose 32-bit sizes would wrap: refused, naming the size it
// would have, and nothing written; and against a source past 4 GiB not being read at all.
TEST(AviLargeFile, OpenDmlBeyondFourGigabytesIsRefused) {
    MadeUpSource source = openDmlVideo(0x90000000);
    ASSERT_GT(source.size(), 0x100000000u);
    VideoReading reading = readVideo(source, Chunks::Keep);
    EXPECT_EQ(reading.report.state, VideoState::Unreadable);
    EXPECT_EQ(reading.report.frames, 2u);
    EXPECT_EQ(reading.report.repairedSize, 0u);
    ASSERT_EQ(reading.report.findings.size(), 1u);
    const Finding& refusal = reading.report.findings.front();
    EXPECT_EQ(refusal.kind, FindingKind::TooLargeToRepair);
    // The clip's header and LIST movi, both frames, idx1 with two entries.
    std::uint64_t header = findFourcc(corpusVideo("sound_mars"), "movi") + 4;
    EXPECT_EQ(refusal.found, header + 2 * (8 + 0x90000000ull) + 8 + 2 * 16);
    CountingOutput sink;
    EXPECT_FALSE(writeRepair(reading, sink).written);
    EXPECT_EQ(sink.written, 0u);
}

// Guards against the AVIX part's frames being left out of a merge that fits.
TEST(AviLargeFile, OpenDmlUnderFourGigabytesIsMergedIntoOneRiff) {
    MadeUpSource source = openDmlVideo(0x70000000);
    VideoReading reading = readVideo(source, Chunks::Keep);
    EXPECT_EQ(reading.report.state, VideoState::Repairable);
    EXPECT_EQ(reading.report.frames, 2u);
    CountingOutput sink;
    WriteOutcome outcome = writeRepair(reading, sink);
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.frames, 2u);
    EXPECT_EQ(sink.written, reading.report.repairedSize);
}

} // namespace
} // namespace kovra::avi::test
