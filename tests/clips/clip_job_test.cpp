// The clip and join job in-process, its files' faults scripted through the platform: what it
// refuses, names and says, and that a refusal leaves nothing beside the clip's name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "clips/clip_job.h"
#include "clips/clock_time.h"
#include "clips/timed_video.h"
#include "testkit/faulty_platform.h"
#include "tests/support/scratch_dir.h"

namespace kovra::clips {
namespace {

// 2007-10-16 14:02:10 UTC, when the first recording was closed.
constexpr std::int64_t kFirstClosed = 1192543330;
constexpr std::int64_t kSecondsApart = 10;
constexpr std::int64_t kHour = 3600;
// The main list's header, from just after "AVI ": zeroed, the recording holds no video.
constexpr std::ptrdiff_t kHeaderAt = 12, kHeaderZeroed = 256;
constexpr std::size_t kFourccSize = 4, kFirstChunk = 12;
constexpr std::uint32_t kChunkHeaderSize = 8;
// What reaches a clip's file before its disk is full.
constexpr std::uint64_t kWrittenBeforeFull = 4000;

// The PC's clock in another time zone: every file time shown that many seconds off.
class ZonedPlatform : public test::FaultyPlatform {
  public:
    std::int64_t zoneSeconds = 0;
    SystemTime localTimeOf(std::int64_t utcSeconds) override {
        return real_.localTimeOf(utcSeconds + zoneSeconds);
    }
};

// The recording with the recorder's IDIT date: its JUNK chunk before movi made a shorter JUNK
// chunk and, just before movi where the reader looks for it, an IDIT chunk of date; its size
// unchanged.
std::vector<unsigned char> withIdit(std::vector<unsigned char> bytes, const std::string& date) {
    auto sizeAt = [&](std::size_t at) {
        std::uint32_t size = 0;
        std::memcpy(&size, &bytes[at + kFourccSize], sizeof size); // little-endian hosts only
        return size;
    };
    std::size_t at = kFirstChunk; // the top level's, not those inside hdrl
    while (std::memcmp(&bytes[at], "JUNK", kFourccSize) != 0)
        at += kChunkHeaderSize + sizeAt(at);
    std::string text = date + "\n";
    text.push_back('\0');
    auto size = static_cast<std::uint32_t>(text.size());
    std::uint32_t rest = sizeAt(at) - size - kChunkHeaderSize;
    std::string chunks = "JUNK" + std::string(reinterpret_cast<const char*>(&rest), 4) +
                         std::string(rest, '\0') + "IDIT" +
                         std::string(reinterpret_cast<const char*>(&size), 4) + text;
    std::copy(chunks.begin(), chunks.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
}

// Three loop recordings of 0.27 s on a card, closed 10 s apart, timed by their file times;
// the clip goes to a folder of its own.
struct Card {
    test::ScratchDir card, outFolder;
    ZonedPlatform platform;
    std::vector<std::string> paths;
    std::vector<ClockMillis> starts, ends;
    std::string out = outFolder.file("clip.avi");

    Card() {
        for (int i = 0; i < 3; ++i) {
            paths.push_back(card.file("MOV000" + std::to_string(i) + ".avi"));
            test::writeAll(paths.back(), test::readAll(KOVRA_AVI_CORPUS "/sound_mars.avi"));
            platform.setModified(paths.back().c_str(), kFirstClosed + i * kSecondsApart);
            RecordingTime time = readTimedVideo(platform, paths.back()).time.value();
            starts.push_back(time.start);
            ends.push_back(time.end);
        }
    }
    bool nothingWritten() const { return std::filesystem::is_empty(outFolder.path()); }
};

// Guards against a file that fails dropped in silence or blamed on the wrong file, a broken
// recording taken for a failure rather than a gap, and a refused clip that leaves a file.
TEST(ClipJob, FailuresNameTheirFileAndLeaveNothing) {
    const OsError eio(OsError::Other, EIO);
    struct Case {
        const char* fault;
        int faulty;        // the recording the fault is in, -1 for the clip itself
        bool readsFail;    // every read of it fails with EIO
        bool brokenHeader; // its header zeroed
        bool writesFail;   // the clip's writes fail, the disk full, past a few kilobytes
        int from, to;      // ms from the first recording's start
        ClipFailureKind failure;
        OsError error;             // of a failure
        std::size_t sources, gaps; // of a clip written
    } cases[] = {
        {"an unreadable candidate fails a clip it may hold", 1, true, false, false, 100, 20100,
         ClipFailureKind::CandidateUnreadable, eio, 0, 0},
        {"a range held whole by others is cut without it", 1, true, false, false, 100, 200,
         ClipFailureKind::None, OsError::None, 1, 0},
        {"a write that fails names the clip", -1, false, false, true, 100, 20100,
         ClipFailureKind::Unwritable, OsError::DiskFull, 0, 0},
        {"a broken header is a gap", 1, false, true, false, 100, 20100, ClipFailureKind::None,
         OsError::None, 2, 1},
        {"a range inside a broken recording: none holds it", 1, false, true, false, 10000, 10200,
         ClipFailureKind::NotCovered, OsError::None, 0, 0},
        {"a range inside a gap: none holds it", -1, false, false, false, 2000, 8000,
         ClipFailureKind::NotCovered, OsError::None, 0, 0},
    };
    for (const Case& c : cases) {
        Card card;
        std::string faulty = c.faulty >= 0 ? card.paths[c.faulty] : card.out;
        if (c.readsFail)
            card.platform.failReads(faulty, 0, eio);
        if (c.brokenHeader) {
            std::vector<unsigned char> bytes = test::readAll(faulty);
            std::fill(bytes.begin() + kHeaderAt, bytes.begin() + kHeaderAt + kHeaderZeroed, 0);
            test::writeAll(faulty, bytes);
        }
        if (c.writesFail)
            card.platform.failWrites(".kovra-tmp", kWrittenBeforeFull);
        ClipOutcome outcome = clipRange(card.platform, {card.paths, {}}, card.starts[0] + c.from,
                                        card.starts[0] + c.to, card.out);
        EXPECT_EQ(outcome.failure.kind, c.failure) << c.fault;
        if (c.failure == ClipFailureKind::None) {
            EXPECT_EQ(outcome.sources.size(), c.sources) << c.fault;
            EXPECT_EQ(outcome.gaps.size(), c.gaps) << c.fault;
            for (const ClipSource& source : outcome.sources)
                EXPECT_NE(source.path, faulty) << c.fault;
            continue;
        }
        EXPECT_TRUE(card.nothingWritten()) << c.fault;
        EXPECT_EQ(outcome.failure.error, c.error) << c.fault;
        if (c.error != OsError::None) {
            EXPECT_EQ(outcome.failure.path, faulty) << c.fault;
        }
    }
}

// Guards against a clip that reads every candidate whole for its time, or reads again those it
// takes: a recording the range leaves out is read less than whole, one it takes not twice over.
TEST(ClipJob, EachRecordingIsReadWholeOnlyWhereTakenAndOnce) {
    struct Case {
        const char* fault;
        int from, to;  // ms from the first recording's start
        bool taken[3]; // which recordings the clip takes
    } cases[] = {
        {"the two after a range in the first read whole", 100, 200, {true, false, false}},
        {"the last read whole, and those taken twice", 100, 10100, {true, true, false}},
        {"the two before a range in the last read whole", 20100, 20200, {false, false, true}},
    };
    for (const Case& c : cases) {
        Card card;
        card.platform.forgetReads();
        ClipOutcome outcome = clipRange(card.platform, {card.paths, {}}, card.starts[0] + c.from,
                                        card.starts[0] + c.to, card.out);
        ASSERT_TRUE(outcome.written()) << c.fault;
        EXPECT_EQ(outcome.sources.size(), std::count(c.taken, c.taken + 3, true)) << c.fault;
        for (std::size_t i = 0; i < card.paths.size(); ++i) {
            std::uint64_t size = std::filesystem::file_size(card.paths[i]);
            EXPECT_LT(card.platform.bytesRead(card.paths[i]), c.taken[i] ? 2 * size : size)
                << c.fault << ": " << i;
        }
    }
}

// Guards against a clip timed by a glance that the whole reading contradicts: the recording's
// index lists its second chunk, a sound chunk, as a frame, so that a glance (which checks only
// that each entry fits) counts a frame more, and starts it a frame early, than `videos` shows.
TEST(ClipJob, AWholeReadingThatTellsAnotherTimeChoosesAgain) {
    // The recording's idx1 chunk, and its second 16-byte entry's chunk id.
    constexpr std::size_t kIndexAt = 11764, kEntrySize = 16;
    constexpr std::size_t kSecondEntryId = kIndexAt + kChunkHeaderSize + kEntrySize;
    struct Case {
        const char* fault;
        int from, to; // ms from the recording's start as `videos` shows it
        bool written;
    } cases[] = {
        {"a range only the glance's extra frame holds cut from the recording", -50, -10, false},
        {"a clip cut and dated by the glance's frames", -50, 100, true},
    };
    for (const Case& c : cases) {
        Card card;
        std::vector<unsigned char> bytes = test::readAll(card.paths[0]);
        ASSERT_EQ(std::memcmp(&bytes[kSecondEntryId], "01wb", kFourccSize), 0);
        std::memcpy(&bytes[kSecondEntryId], "00dc", kFourccSize);
        test::writeAll(card.paths[0], bytes);
        card.platform.setModified(card.paths[0].c_str(), kFirstClosed);
        ClipOutcome outcome = clipRange(card.platform, {card.paths, {}}, card.starts[0] + c.from,
                                        card.starts[0] + c.to, card.out);
        EXPECT_EQ(outcome.written(), c.written) << c.fault;
        if (c.written) {
            ASSERT_EQ(outcome.sources.size(), 1u) << c.fault;
            EXPECT_EQ(outcome.sources[0].firstFrame, 0u) << c.fault;
            EXPECT_EQ(outcome.start, card.starts[0]) << c.fault;
        } else {
            EXPECT_EQ(outcome.failure.kind, ClipFailureKind::NotCovered) << c.fault;
        }
    }
}

// Guards against a recording that is no file (a FIFO) dropped from a range it may hold.
TEST(ClipJob, ACandidateThatIsNoFileFailsARangeItMayHold) {
    Card card;
    std::string fifo = card.card.file("MOV0009.avi");
    ClipOutcome outcome = clipRange(card.platform, {card.paths, {fifo}}, card.starts[0] + 100,
                                    card.starts[0] + 20100, card.out);
    EXPECT_EQ(outcome.failure.kind, ClipFailureKind::CandidateNotAFile);
    EXPECT_EQ(outcome.failure.path, fifo);
    EXPECT_TRUE(card.nothingWritten());
}

// Guards against recordings timed by their file times where their IDIT says when they were
// recorded: a PC in another time zone, or a card restored from a zip, shows those hours off.
TEST(ClipJob, IditTimesHoldWhateverTheFileTimesSay) {
    Card card;
    std::vector<std::string> idit;
    for (int i = 0; i < 2; ++i) {
        idit.push_back(card.card.file("IDIT000" + std::to_string(i) + ".avi"));
        test::writeAll(idit.back(),
                       withIdit(test::readAll(card.paths[i]),
                                i == 0 ? "Tue Oct 16 14:02:00 2007" : "Tue Oct 16 14:02:10 2007"));
    }
    ClockMillis start = *parseClockTime("2007-10-16 14:02:00");
    struct Case {
        std::int64_t zone, closed;
        bool byIdit, held;
    } cases[] = {
        {0, kFirstClosed, true, true},
        {-10 * kHour, kFirstClosed, true, true},
        {5 * kHour + 45 * 60, 315532800, true, true},     // a zip's 1980
        {-(3 * kHour + 30 * 60), 4070908800, true, true}, // 2099
        {0, kFirstClosed, false, true},
        {kHour, kFirstClosed, false, false}, // the file times follow the zone, and miss
    };
    for (const Case& c : cases) {
        card.platform.zoneSeconds = c.zone;
        const std::vector<std::string>& videos = c.byIdit ? idit : card.paths;
        ClockMillis base = c.byIdit ? start : card.starts[0];
        for (std::size_t i = 0; i < 2; ++i)
            card.platform.setModified(videos[i].c_str(),
                                      c.closed + static_cast<std::int64_t>(i) * kSecondsApart);
        std::filesystem::remove(card.out);
        ClipOutcome outcome =
            clipRange(card.platform, {videos, {}}, base + 5000, base + 10100, card.out);
        EXPECT_EQ(outcome.written(), c.held) << c.zone << " " << c.closed;
        if (c.held) {
            ASSERT_EQ(outcome.sources.size(), 1u) << c.zone;
            EXPECT_EQ(outcome.sources[0].path, videos[1]) << c.zone;
        }
    }
}

// Guards against a card's cut recordings each walked whole for a range their header and file
// time already put them outside of (most of a full card), and against one skipped whose time
// could still reach into the range.
TEST(ClipJob, ACutRecordingCertainlyOutsideTheRangeIsNotRead) {
    constexpr std::int64_t kDay = 24 * kHour;
    struct Case {
        const char* fault;
        const char* idit;    // its IDIT date, or none: timed by its file time
        std::int64_t closed; // its file time, seconds from the first recording's
        bool read;           // walked for its length
    } cases[] = {
        {"closed before the range starts", nullptr, -60, false},
        {"closed over a day after the range", nullptr, kDay + kHour, false},
        {"recorded, by its IDIT, after the range", "Tue Oct 16 15:00:00 2007", 0, false},
        {"closed an hour after the range: its length may reach back into it", nullptr, kHour, true},
        {"recorded, by its IDIT, an hour before: its length may reach into it",
         "Tue Oct 16 13:02:10 2007", 0, true},
    };
    for (const Case& c : cases) {
        Card card;
        std::string cut = card.card.file("MOV0009.avi");
        std::vector<unsigned char> bytes = test::readAll(KOVRA_AVI_CORPUS "/no_index.avi");
        test::writeAll(cut, c.idit ? withIdit(bytes, c.idit) : bytes);
        card.platform.setModified(cut.c_str(), kFirstClosed + c.closed);
        std::vector<std::string> paths = card.paths;
        paths.push_back(cut);
        card.platform.forgetReads();
        ClipOutcome outcome = clipRange(card.platform, {paths, {}}, card.starts[0] + 100,
                                        card.starts[0] + 200, card.out);
        ASSERT_TRUE(outcome.written()) << c.fault;
        ASSERT_EQ(outcome.sources.size(), 1u) << c.fault;
        EXPECT_EQ(outcome.sources[0].path, card.paths[0]) << c.fault;
        // Its header is read either way, a few hundred bytes; a walk reads most of the file.
        EXPECT_EQ(card.platform.bytesRead(cut) > bytes.size() / 2, c.read) << c.fault;
    }
}

// no_index.avi's frames lengthened to that many, each with its sound: the movi chunks of its
// first frame and sound repeated, and the sizes zeroed as a power cut leaves them, so that the
// walk goes to the file's end.
std::vector<unsigned char> lengthened(std::size_t frames) {
    constexpr std::size_t kRiffSize = 4, kMoviSize = 2260, kFirstFrame = 2268, kSecondFrame = 5610;
    std::vector<unsigned char> bytes = test::readAll(KOVRA_AVI_CORPUS "/no_index.avi");
    std::vector<unsigned char> made(bytes.begin(), bytes.begin() + kFirstFrame);
    for (std::size_t at : {kRiffSize, kMoviSize})
        std::fill_n(made.begin() + static_cast<std::ptrdiff_t>(at), kFourccSize, 0);
    for (std::size_t i = 0; i < frames; ++i)
        made.insert(made.end(), bytes.begin() + kFirstFrame, bytes.begin() + kSecondFrame);
    return made;
}

// Guards against a clip named while a recording walked behind it, guessed to lie after the
// range, in fact reaches into it: the clip must be the one every candidate's time chooses, and
// the one written on the guess leave no file behind.
TEST(ClipJob, ARecordingGuessedOutsideThatReachesInIsTaken) {
    constexpr std::size_t kShort = 4, kTwentySeconds = 300; // frames at 15 fps
    Card card;
    // Cut recordings closed 10 s apart, and one closed after the second, which holds the
    // range's end, yet long enough to start before the first.
    std::vector<std::string> paths;
    std::vector<ClockMillis> starts;
    for (std::size_t frames : {kShort, kShort, kTwentySeconds}) {
        paths.push_back(card.card.file("MOV010" + std::to_string(paths.size()) + ".avi"));
        test::writeAll(paths.back(), lengthened(frames));
        std::int64_t closed = frames == kTwentySeconds
                                  ? kSecondsApart + 5
                                  : static_cast<std::int64_t>(paths.size() - 1) * kSecondsApart;
        card.platform.setModified(paths.back().c_str(), kFirstClosed + closed);
        starts.push_back(readTimedVideo(card.platform, paths.back()).time.value().start);
    }
    ClipOutcome outcome =
        clipRange(card.platform, {paths, {}}, starts[0] + 100, starts[1] + 100, card.out);
    ASSERT_TRUE(outcome.written());
    EXPECT_TRUE(outcome.gaps.empty());
    EXPECT_TRUE(std::any_of(outcome.sources.begin(), outcome.sources.end(),
                            [&](const auto& source) { return source.path == paths[2]; }));
    auto files = std::filesystem::directory_iterator(card.outFolder.path());
    EXPECT_EQ(std::distance(begin(files), end(files)), 1);
}

// Guards against a clip shorter than asked said as if whole, and a join out of time order given
// a start and an end.
TEST(ClipJob, WhatIsWorthSayingIsSaid) {
    Card card;
    ClipOutcome past = clipRange(card.platform, {card.paths, {}}, card.starts[2],
                                 card.starts[2] + 30000, card.out);
    ASSERT_TRUE(past.written());
    ASSERT_EQ(past.warnings.size(), 1u);
    EXPECT_EQ(past.warnings[0].kind, ClipWarningKind::ReachesPast);
    EXPECT_EQ(past.warnings[0].from, card.starts[2]);
    EXPECT_EQ(past.warnings[0].to, card.ends[2]);

    std::filesystem::remove(card.out);
    ClipOutcome join = joinVideos(card.platform, {card.paths[1], card.paths[0]}, card.out);
    ASSERT_TRUE(join.written());
    ASSERT_EQ(join.warnings.size(), 1u);
    EXPECT_EQ(join.warnings[0].kind, ClipWarningKind::OutOfOrder);
    EXPECT_EQ(join.warnings[0].path, card.paths[0]);
    EXPECT_EQ(join.warnings[0].otherPath, card.paths[1]);
    EXPECT_FALSE(join.start || join.end);
    EXPECT_TRUE(join.gaps.empty());
}

} // namespace
} // namespace kovra::clips
