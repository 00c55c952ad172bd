// Times on the recorder's clock as people give them, recording times, and the recordings a
// range of that clock takes.
#include <gtest/gtest.h>

#include <cerrno>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "clips/clock_time.h"
#include "clips/range_sources.h"
#include "clips/recording_time.h"
#include "clips/selection.h"
#include "clips/timed_video.h"
#include "testkit/faulty_platform.h"
#include "tests/support/bytes.h"
#include "tests/support/scratch_dir.h"

namespace kovra::clips {
namespace {

constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kToEnd = std::numeric_limits<std::int64_t>::max();

std::int64_t orNone(const std::optional<std::int64_t>& value) {
    return value ? *value : kNone;
}

ClockMillis at(const char* text) {
    return *parseClockTime(text);
}

// Guards against texts read loosely (a 30 February, a "0x" number, an unsigned offset taken for
// a positive one) and fractions read as whole numbers.
TEST(ClockTime, TextsAreReadExactlyOrNotAtAll) {
    ClockMillis base = at("2007-10-16 08:16:47");
    struct Case {
        std::int64_t (*read)(const std::string&);
        const char* text;
        std::int64_t expected;
    } cases[] = {
        {[](const std::string& t) { return orNone(parseClockTime(t)); }, "2007-10-16T08:16:47.5",
         base + 500},
        {[](const std::string& t) { return orNone(parseClockTime(t)); }, "2007-10-16 08:16:47.123",
         base + 123},
        {[](const std::string& t) { return orNone(parseClockTime(t)); }, "2007-02-30 08:16:47",
         kNone},
        {[](const std::string& t) { return orNone(parseClockTime(t)); }, "2007-10-16 24:00:00",
         kNone},
        {[](const std::string& t) { return orNone(parseClockTime(t)); }, "2007-10-16 08:16:47.1234",
         kNone},
        {[](const std::string& t) { return orNone(parseClockTime(t)); }, "2007-10-16", kNone},
        {[](const std::string& t) { return orNone(parseVideoOffset(t)); }, "1:02:03.5", 3723500},
        {[](const std::string& t) { return orNone(parseVideoOffset(t)); }, "0:02.5", 2500},
        {[](const std::string& t) { return orNone(parseVideoOffset(t)); }, "75", 75000},
        {[](const std::string& t) { return orNone(parseVideoOffset(t)); }, "1:75", kNone},
        {[](const std::string& t) { return orNone(parseVideoOffset(t)); }, "-3", kNone},
        {[](const std::string& t) { return orNone(parseClockOffset(t)); }, "+1:00:00", 3600000},
        {[](const std::string& t) { return orNone(parseClockOffset(t)); }, "-05:30", -330000},
        {[](const std::string& t) { return orNone(parseClockOffset(t)); }, "05:30", kNone},
        {[](const std::string& t) { return orNone(parseClockOffset(t)); }, "+30", kNone},
        {[](const std::string& t) { return orNone(parseClockOffset(t)); }, "+0:61", kNone},
        {[](const std::string& t) { return orNone(parseSeconds(t)); }, "2.5", 2500},
        {[](const std::string& t) { return orNone(parseSeconds(t)); }, "0x10", kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.read(c.text), c.expected) << c.text;
    EXPECT_EQ(isoText(base + 7), "2007-10-16T08:16:47.007");
    EXPECT_EQ(isoText(at("1969-12-31 23:59:59.999")), "1969-12-31T23:59:59.999");
    EXPECT_EQ(shownText(at("2024-02-29 23:59:59")), "2024-02-29 23:59:59");
}

// Guards against a recording time taken from the file when IDIT says, and a file time taken
// as the start rather than the moment the recorder closed the file.
TEST(RecordingTimes, IditStartsAFileTimeEnds) {
    avi::VideoReport report;
    report.state = avi::VideoState::Ok;
    report.frames = 150;
    report.fps = 15;
    SystemTime closed{2007, 10, 2, 16, 8, 16, 48, 0};
    std::optional<RecordingTime> fromFile = recordingTime(report, closed);
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->source, TimeSource::FileTime);
    EXPECT_EQ(isoText(fromFile->start), "2007-10-16T08:16:38.000");
    EXPECT_EQ(isoText(fromFile->end), "2007-10-16T08:16:48.000");
    report.recorded = avi::RecordingDate{2007, 10, 16, 8, 16, 30};
    std::optional<RecordingTime> fromIdit = recordingTime(report, closed);
    ASSERT_TRUE(fromIdit);
    EXPECT_EQ(fromIdit->source, TimeSource::Idit);
    EXPECT_EQ(isoText(fromIdit->end), "2007-10-16T08:16:40.000");
    report.state = avi::VideoState::Unreadable;
    EXPECT_FALSE(recordingTime(report, closed));
}

// Guards against a time no calendar shows (a 5-digit year, a year before 1) and a span a
// header claims (a frame a century, a day and more) taken for a recording's.
TEST(RecordingTimes, NoneOutsideTheYearsOrBeyondARecording) {
    const avi::RecordingDate lastHour{9999, 12, 31, 23, 0, 0};
    struct Case {
        const char* fault;
        std::optional<avi::RecordingDate> recorded; // else the file's time, closed at 00:00:05
        int closedYear;
        double fps, frames;
        std::int64_t offset; // --clock-offset's
        bool timed;
    } cases[] = {
        {"an end in year 10000", avi::RecordingDate{9999, 12, 31, 23, 59, 55}, 2007, 15, 150, 0,
         false},
        {"a start before year 1", std::nullopt, 1, 15, 150, 0, false},
        {"a frame every 136 years", std::nullopt, 2007, 1 / 4294967295.0, 4, 0, false},
        {"200 frames a second", std::nullopt, 2007, 200, 150, 0, false},
        {"a day and a second", std::nullopt, 2007, 1, 86401, 0, false},
        {"an offset into year 10000", lastHour, 2007, 15, 150, 2 * 3600 * 1000, false},
        {"the last hour of year 9999", lastHour, 2007, 15, 150, 0, true},
    };
    for (const Case& c : cases) {
        avi::VideoReport report;
        report.state = avi::VideoState::Repairable;
        report.recorded = c.recorded;
        report.fps = c.fps;
        report.frames = static_cast<std::uint64_t>(c.frames);
        SystemTime closed{static_cast<std::uint16_t>(c.closedYear), 1, 1, 1, 0, 0, 5, 0};
        std::optional<RecordingTime> time = recordingTime(report, closed);
        EXPECT_EQ(time && shifted(*time, c.offset), c.timed) << c.fault;
    }
}

// Guards against a range that loses the frames across a boundary, takes an overlap twice,
// hides a gap, or takes a recording it does not touch.
TEST(Selection, TheChainOfRecordingsARangeTakes) {
    ClockMillis t0 = at("2007-10-16 14:02:00");
    auto rec = [&](int from, int to) {
        return RecordingTime{t0 + from * 1000, t0 + to * 1000, TimeSource::FileTime};
    };
    // Three loop recordings, one second of FAT rounding between the second and third, then a
    // G-sensor one over the same time as the third, then one after a minute's gap.
    std::vector<RecordingTime> times = {rec(0, 10), rec(10, 20), rec(19, 30), rec(22, 32),
                                        rec(92, 100)};
    struct Case {
        int from, to;
        std::vector<std::int64_t> spans; // source, from, to (ms) a span
        std::size_t gaps, overlapping;
    } cases[] = {
        {7, 13, {0, 7000, kToEnd, 1, 0, 3000}, 0, 0},
        {12, 18, {1, 2000, 8000}, 0, 0},
        {15, 25, {1, 5000, kToEnd, 2, 0, 6000}, 0, 0},
        {25, 31, {2, 6000, kToEnd, 3, 8000, 9000}, 0, 1},
        {31, 95, {3, 9000, kToEnd, 4, 0, 3000}, 1, 0},
        {-5, 1, {0, 0, 1000}, 0, 0},
    };
    for (const Case& c : cases) {
        Selection s = selectRange(times, t0 + c.from * 1000, t0 + c.to * 1000);
        std::vector<std::int64_t> spans;
        for (const avi::SourceSpan& span : s.spans)
            spans.insert(spans.end(),
                         {static_cast<std::int64_t>(span.source), span.fromMs, span.toMs});
        EXPECT_EQ(spans, c.spans) << c.from << " to " << c.to;
        EXPECT_EQ(s.gaps.size(), c.gaps) << c.from;
        EXPECT_EQ(s.overlapping.size(), c.overlapping) << c.from;
    }
    EXPECT_EQ(selectRange(times, t0 + 40000, t0 + 50000).refusal, SelectionRefusal::NotCovered);
    EXPECT_EQ(selectRange(times, t0 + 5000, t0 + 5000).refusal, SelectionRefusal::EndBeforeStart);
    EXPECT_EQ(gapsBetween({rec(0, 10), rec(11, 20), rec(40, 50)}).size(), 1u);
}

// Guards against a recording that cannot be read (a bad sector) dropped from a clip in silence:
// it fails the clip where it may hold what the others leave out, and only there.
TEST(RangeSources, AnUnreadableRecordingFailsOnlyWhereItMayHoldSomeOfTheRange) {
    test::ScratchDir card;
    test::FaultyPlatform platform(systemPlatform());
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) { // recordings of 0.27 s, closed 10 s apart
        paths.push_back(card.file("MOV000" + std::to_string(i) + ".avi"));
        test::writeAll(paths.back(), test::readAll(KOVRA_AVI_CORPUS "/sound_mars.avi"));
        platform.setModified(paths.back().c_str(), 1192543330 + i * 10);
    }
    ClockMillis start = readTimedVideo(platform, paths[0]).time.value().start;
    platform.failReads("MOV0001", 0, OsError(OsError::Other, EIO));
    std::pair<int, bool> cases[] = {{20000, true}, {100, false}}; // across it; held whole by one
    for (auto [to, needed] : cases) {
        RangeSources sources = chooseRangeSources(platform, paths, start, start + to);
        EXPECT_EQ(sources.timed.size(), 2u);
        ASSERT_EQ(sources.failed.size(), 1u);
        EXPECT_EQ(sources.failed[0].path, paths[1]);
        EXPECT_EQ(sources.needsFailed(), needed) << to;
    }
}

} // namespace
} // namespace kovra::clips
