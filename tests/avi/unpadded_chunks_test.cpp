// Odd-sized chunks some writers leave without their pad byte: ffmpeg reads such a file whole,
// so the reader must too, and the repair writes the pad bytes. On the corpus clip byte for
// byte, and on a recording ffmpeg makes, judged by ffprobe (native only).
#include <gtest/gtest.h>

#include "tests/avi/ffmpeg_clip.h"

namespace kovra::avi::test {
namespace {

// Odd-sized chunks a next one follows.
std::uint64_t oddBeforeAnother(const Bytes& clip) {
    std::vector<IndexedChunk> indexed = indexedChunks(clip);
    std::uint64_t odd = 0;
    for (std::size_t i = 0; i + 1 < indexed.size(); ++i)
        odd += indexed[i].size % 2;
    return odd;
}

std::uint64_t videoChunks(const Bytes& clip) {
    std::uint64_t frames = 0;
    for (const IndexedChunk& chunk : indexedChunks(clip))
        frames += chunk.video;
    return frames;
}

// Guards against the walk losing every chunk after the first odd one as garbage, and against
// the repair copying the next chunk's first byte as a pad: it writes what the padded file
// repairs to.
TEST(AviUnpaddedChunks, WalkTakesThemAndRepairWritesThePads) {
    Bytes clip = corpusVideo("sound_mars");
    std::vector<Rebuilt> chunks = asIndexed(clip);
    Repaired repaired = repairBytes(rebuildMovi(clip, chunks, false, false));
    EXPECT_EQ(repaired.report.frames, 4u);
    const Finding* unpaddedChunks = findingOf(repaired.report, FindingKind::UnpaddedChunks);
    ASSERT_NE(unpaddedChunks, nullptr);
    EXPECT_EQ(unpaddedChunks->found, oddBeforeAnother(clip));
    EXPECT_EQ(findingOf(repaired.report, FindingKind::Garbage), nullptr);
    Repaired padded = repairBytes(rebuildMovi(clip, chunks, true, false));
    EXPECT_TRUE(repaired.bytes == padded.bytes);
}

// Guards against an index of unpadded chunks passing for sound: the copy would keep them so.
TEST(AviUnpaddedChunks, IndexListingThemIsRepairable) {
    Bytes clip = corpusVideo("sound_mars");
    std::vector<Rebuilt> chunks = asIndexed(clip);
    Repaired repaired = repairBytes(rebuildMovi(clip, chunks, false, true));
    EXPECT_EQ(repaired.report.state, VideoState::Repairable);
    ASSERT_EQ(repaired.report.findings.size(), 1u);
    EXPECT_EQ(repaired.report.findings[0].kind, FindingKind::UnpaddedChunks);
    EXPECT_EQ(inspectBytes(repaired.bytes).state, VideoState::Ok);
}

// Guards against a recording ffmpeg reads whole losing frames in the repair.
TEST(AviUnpaddedChunks, RecordingRepairedWholeAsFfprobeReadsIt) {
    kovra::test::ScratchDir dir;
    Bytes clip;
    std::string error;
    if (!makeRecorderClip(dir, 6, clip, error))
        GTEST_SKIP() << "ffmpeg could not make the clip (Debian package ffmpeg): " << error;
    std::vector<Rebuilt> chunks = asIndexed(clip);
    ASSERT_GT(oddBeforeAnother(clip), 0u);
    for (bool withIndex : {false, true}) {
        Repaired repaired = repairBytes(rebuildMovi(clip, chunks, false, withIndex));
        EXPECT_EQ(repaired.report.frames, videoChunks(clip)) << withIndex;
        Judged judged = judgeWithFfmpeg(dir, repaired.bytes);
        EXPECT_EQ(judged.frames, static_cast<long>(videoChunks(clip))) << withIndex;
        EXPECT_EQ(judged.decodeErrors, "") << withIndex;
    }
}

} // namespace
} // namespace kovra::avi::test
