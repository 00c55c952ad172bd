// The player's frames: the recorder's JPEG byte for byte with the standard tables put before
// its scan, decoded by ffmpeg to the very pixels of the source's frame; frames of a recording a
// power cut ended; frames past the end; a read that fails names the video.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "pictures/standard_tables.h"
#include "player/player.h"
#include "testkit/faulty_platform.h"
#include "tests/player/player_card.h"

namespace kovra::player::test {
namespace {

constexpr std::uint8_t kMarkerPrefix = 0xFF, kScanMarker = 0xDA;

// Where the payload's first scan starts: the tables go just before it.
std::size_t scanStart(const Bytes& jpeg) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == kMarkerPrefix && jpeg[i + 1] == kScanMarker)
            return i;
    return jpeg.size();
}

using PlayerFramesTest = PlayerCardTest;

struct FrameCase {
    const char* fault;
    bool cutRecording;
    std::uint64_t frame; // or one of the three below
    bool found;
};
constexpr std::uint64_t kPastAll = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kLast = kPastAll - 1, kJustPast = kPastAll - 2;

TEST_F(PlayerFramesTest, FramesAreTheRecordersBytesWithTheTables) {
    const FrameCase cases[] = {
        {"the first frame numbered from 1, or its tables left out", false, 0, true},
        {"a frame of the middle taken from the wrong chunk (a sound chunk counted)", false, 31,
         true},
        {"the last frame lost to an off-by-one", false, kLast, true},
        {"a frame past the end read from past the index", false, kJustPast, false},
        {"a recording without an index gives no frame, or its walk runs past the cut", true, kLast,
         true},
        {"a cut recording's frame past its last complete one (the one the cut split)", true,
         kJustPast, false},
        {"a frame number near 2^64 wraps", false, kPastAll, false},
    };
    Player player(systemPlatform(), {card_.dir.file("save"), 0, kDefaultCacheBytes});
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.fault);
        const Bytes& video = c.cutRecording ? card_.cutBytes : card_.closedBytes;
        std::uint64_t frames = c.cutRecording ? card_.cutFrames : kCardFrames;
        std::uint64_t n = c.frame == kLast ? frames - 1 : c.frame == kJustPast ? frames : c.frame;
        FrameAnswer answer = player.frame(c.cutRecording ? card_.cut : card_.closed, n);
        if (!c.found) {
            EXPECT_EQ(answer.failure.refusal, Refusal::NotFound) << answer.failure.text;
            EXPECT_TRUE(answer.jpeg.empty());
            continue;
        }
        ASSERT_EQ(answer.failure.refusal, Refusal::None) << answer.failure.text;
        EXPECT_EQ(answer.frames, frames);
        EXPECT_DOUBLE_EQ(answer.seconds, static_cast<double>(n) / kCardFps);
        ASSERT_TRUE(answer.clock);
        Bytes payload = framePayload(video, n);
        std::size_t scan = scanStart(payload);
        const std::uint8_t* tables = pictures::standardTablesSegment();
        Bytes expected(payload.begin(), payload.begin() + std::ptrdiff_t(scan));
        expected.insert(expected.end(), tables, tables + pictures::standardTablesSegmentSize());
        expected.insert(expected.end(), payload.begin() + std::ptrdiff_t(scan), payload.end());
        EXPECT_TRUE(answer.jpeg == expected) << "not the recorder's bytes with the tables";

        std::string file = card_.dir.file("frame.jpg");
        kovra::test::writeAll(file, answer.jpeg);
        Bytes ours = ffmpegFrameRgb(card_.dir, file, 0);
        ASSERT_FALSE(ours.empty()) << "ffmpeg cannot decode the frame";
        EXPECT_TRUE(ours == ffmpegFrameRgb(card_.dir, card_.original, n))
            << "the pixels differ from ffmpeg's decode of the source's frame " << n;
    }
}

// The reading kept: the second look at a video reads the frame's bytes alone.
TEST_F(PlayerFramesTest, AKeptReadingReadsOnlyTheFrame) {
    kovra::test::FaultyPlatform platform;
    Player player(platform, {card_.dir.file("save"), 0, kDefaultCacheBytes});
    ASSERT_EQ(player.frame(card_.cut, 1).failure.refusal, Refusal::None);
    platform.forgetReads();
    FrameAnswer answer = player.frame(card_.cut, 2);
    ASSERT_EQ(answer.failure.refusal, Refusal::None);
    EXPECT_EQ(platform.bytesRead(card_.cut),
              answer.jpeg.size() - pictures::standardTablesSegmentSize() + 8)
        << "the video read again, or more than the frame's chunk";
    EXPECT_EQ(player.cache().videosHeld(), 1u);
}

// A glance trusts an index checked against the file's size alone: one that misstates a frame's
// size must make the player read the video whole and find the frame in the data, not fail it.
TEST_F(PlayerFramesTest, AFrameTheIndexMisstatesIsFoundInTheData) {
    constexpr unsigned kMisstated = 3;
    constexpr std::ptrdiff_t kEntry = 16, kSize = 12;
    Bytes bytes = card_.closedBytes;
    const std::string idx1 = "idx1", frameId = "00dc";
    auto entry = std::find_end(bytes.begin(), bytes.end(), idx1.begin(), idx1.end()) + 8;
    for (unsigned frames = 0; entry + kEntry <= bytes.end(); entry += kEntry)
        if (std::equal(frameId.begin(), frameId.end(), entry) && frames++ == kMisstated) {
            entry[kSize] = static_cast<std::uint8_t>(entry[kSize] - 2);
            break;
        }
    std::string misstated = card_.dir.file("misstated.avi");
    kovra::test::writeAll(misstated, bytes);
    Player player(systemPlatform(), {card_.dir.file("save"), 0, kDefaultCacheBytes});
    FrameAnswer answer = player.frame(misstated, kMisstated);
    ASSERT_EQ(answer.failure.refusal, Refusal::None) << answer.failure.text;
    EXPECT_TRUE(answer.jpeg == player.frame(card_.closed, kMisstated).jpeg);
}

// Room for two readings of these recordings (about 53 KiB each) and not three.
constexpr std::size_t kTwoReadings = 120 * 1024;

// A video without an index costs a walk over every chunk to read again: indexed ones go first.
TEST_F(PlayerFramesTest, AWalkedReadingOutlastsIndexedOnes) {
    Player player(systemPlatform(), {card_.dir.file("save"), 0, kTwoReadings});
    for (const std::string& video : {card_.cut, card_.closed, card_.original})
        ASSERT_EQ(player.frame(video, 0).failure.refusal, Refusal::None);
    EXPECT_TRUE(player.cache().holds(card_.cut));
    EXPECT_FALSE(player.cache().holds(card_.closed));
    EXPECT_TRUE(player.cache().holds(card_.original));
}

struct ReadFaultCase {
    const char* fault;
    bool vanished; // else a read fails at the frame
};

TEST_F(PlayerFramesTest, AReadThatFailsNamesTheVideoAndItsReason) {
    const ReadFaultCase cases[] = {
        {"a video gone since the listing crashes the reader or names nothing", true},
        {"a bad sector under a frame is taken for the frame's end", false},
    };
    for (const ReadFaultCase& c : cases) {
        SCOPED_TRACE(c.fault);
        kovra::test::FaultyPlatform platform;
        Player player(platform, {card_.dir.file("save"), 0, kDefaultCacheBytes});
        OsError expected = OsError::NotFound;
        if (c.vanished) {
            platform.vanish(card_.closed);
        } else {
            ASSERT_EQ(player.frame(card_.closed, 0).failure.refusal, Refusal::None);
            expected = OsError(OsError::Other, EIO);
            platform.failReads("MOV0001", card_.closedBytes.size() / 2, expected);
        }
        FrameAnswer answer = player.frame(card_.closed, kCardFrames - 1);
        EXPECT_EQ(answer.failure.refusal, Refusal::Unreadable);
        EXPECT_EQ(answer.failure.path, card_.closed);
        EXPECT_EQ(answer.failure.error, expected);
        EXPECT_NE(answer.failure.text.find("MOV0001.avi"), std::string::npos)
            << answer.failure.text;
        EXPECT_TRUE(answer.jpeg.empty());
    }
}

} // namespace
} // namespace kovra::player::test
