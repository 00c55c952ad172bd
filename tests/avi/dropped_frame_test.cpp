// A video chunk of no bytes: a frame the recorder dropped. ffmpeg skips it and shows the next
// frame at its own time; a reader that left it out would run every later frame one early
// against the sound.
#include <gtest/gtest.h>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

constexpr std::size_t kSecondFrame = 2; // in the clip's index: frame, sound, frame ...

// The clip rebuilt with its second frame dropped, with or without an index.
Bytes droppedFrameClip(bool withIndex) {
    Bytes clip = corpusVideo("sound_mars");
    std::vector<Rebuilt> chunks = asIndexed(clip);
    chunks[kSecondFrame].size = 0;
    return rebuildMovi(clip, chunks, true, withIndex);
}

// The sizes of the repaired file's video entries, in order.
std::vector<std::uint32_t> videoEntrySizes(const Bytes& repaired) {
    std::vector<std::uint32_t> sizes;
    std::size_t idx1 = findFourcc(repaired, "idx1");
    for (std::size_t e = idx1 + 8; e + 16 <= repaired.size(); e += 16)
        if (repaired[e] == '0' && repaired[e + 1] == '0')
            sizes.push_back(getLe32(repaired, e + 12));
    return sizes;
}

// Guards against the walk taking a dropped frame for a damaged one and leaving it out, and
// against an index that lists one being judged to disagree with the data.
TEST(AviDroppedFrame, KeptInItsPlace) {
    Repaired repaired = repairBytes(droppedFrameClip(false));
    EXPECT_EQ(repaired.report.frames, 4u);
    EXPECT_EQ(findingOf(repaired.report, FindingKind::DamagedFrames), nullptr);
    ASSERT_TRUE(repaired.outcome.written);
    EXPECT_EQ(videoEntrySizes(repaired.bytes), (std::vector<std::uint32_t>{1277, 0, 1281, 1279}));
    for (const Bytes& sound : {repaired.bytes, droppedFrameClip(true)}) {
        VideoReport report = inspectBytes(sound);
        EXPECT_EQ(report.state, VideoState::Ok);
        EXPECT_EQ(report.frames, 4u);
    }
}

} // namespace
} // namespace kovra::avi::test
