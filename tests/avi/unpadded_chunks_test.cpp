// Odd-sized chunks some writers leave without their pad byte: ffmpeg reads such a file whole,
// so the reader must too, and the repair writes the pad bytes. On the corpus clip byte for
// byte, and on a recording ffmpeg makes, judged by ffprobe (native only).
#include <gtest/gtest.h>

#include <algorithm>

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

// Guards against the walk losing every chunk after the first odd one as garbage, the repair
// copying the next chunk's first byte as a pad (it writes what the padded file repairs to),
// and an index of unpadded chunks passing for sound, which a copy would keep so.
TEST(AviUnpaddedChunks, TakenWhereTheyAreAndPaddedInTheRepair) {
    Bytes clip = corpusVideo("sound_mars");
    std::vector<Rebuilt> chunks = asIndexed(clip);
    Repaired walked = repairBytes(rebuildMovi(clip, chunks, false, false));
    EXPECT_EQ(walked.report.frames, 4u);
    const Finding* unpaddedChunks = findingOf(walked.report, FindingKind::UnpaddedChunks);
    ASSERT_NE(unpaddedChunks, nullptr);
    EXPECT_EQ(unpaddedChunks->found, oddBeforeAnother(clip));
    EXPECT_EQ(findingOf(walked.report, FindingKind::Garbage), nullptr);
    EXPECT_TRUE(walked.bytes == repairBytes(rebuildMovi(clip, chunks, true, false)).bytes);

    Repaired indexed = repairBytes(rebuildMovi(clip, chunks, false, true));
    EXPECT_EQ(indexed.report.state, VideoState::Repairable);
    ASSERT_EQ(indexed.report.findings.size(), 1u);
    EXPECT_EQ(indexed.report.findings[0].kind, FindingKind::UnpaddedChunks);
    EXPECT_EQ(inspectBytes(indexed.bytes).state, VideoState::Ok);
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
    std::vector<IndexedChunk> indexed = indexedChunks(clip); // the clip's own count, not ours
    auto frames = static_cast<std::uint64_t>(std::count_if(
        indexed.begin(), indexed.end(), [](const IndexedChunk& chunk) { return chunk.video; }));
    for (bool withIndex : {false, true}) {
        Repaired repaired = repairBytes(rebuildMovi(clip, chunks, false, withIndex));
        EXPECT_EQ(repaired.report.frames, frames) << withIndex;
        Judged judged = judgeWithFfmpeg(dir, repaired.bytes);
        EXPECT_EQ(judged.frames, static_cast<long>(frames)) << withIndex;
        EXPECT_EQ(judged.decodeErrors, "") << withIndex;
    }
}

} // namespace
} // namespace kovra::avi::test
