// The recording date of an IDIT chunk: the two forms ffmpeg reads, dates that are none, and
// the chunk where a header holds it, of any size.
#include <gtest/gtest.h>

#include <optional>

#include "avi/recording_date.h"
#include "avi/video_reading.h"
#include "avi/writer.h"
#include "tests/avi/avi_bytes.h"

namespace kovra::avi {
void PrintTo(const RecordingDate& d, std::ostream* os) {
    *os << d.year << "-" << d.month << "-" << d.day << " " << d.hour << ":" << d.minute << ":"
        << d.second;
}
} // namespace kovra::avi

namespace kovra::avi::test {
namespace {

struct DateCase {
    const char* name;
    std::string text;
    std::optional<RecordingDate> date;
};

const RecordingDate kTenMarch{2003, 3, 10, 15, 4, 43};

const DateCase kDates[] = {
    // Guards against asctime's own text, line break and all, not being read.
    {"asctime", "Mon Mar 10 15:04:43 2003\n", kTenMarch},
    // Guards against the slashed form being refused.
    {"slashed", "2003/03/10 15:04:43", kTenMarch},
    // Guards against asctime's padded day ("Mar  5") refused, or the NULs after the text.
    {"padded day and NULs", std::string("Wed Mar  5 00:00:00 2003\0\0\0", 28),
     RecordingDate{2003, 3, 5, 0, 0, 0}},
    // Guards against a month name compared with its case, or one space only between fields.
    {"capitals and spaces", "MON   MAR 10   15:04:43    2003  \r\n", kTenMarch},
    // Guards against bytes after the first NUL read as part of the date, as C strings end.
    {"junk after a NUL", std::string("2003/03/10 15:04:43\0garbage", 27), kTenMarch},
    // Guards against the leap years' rules: 2004 has 29 February, 2003 and 1900 do not.
    {"leap day", "2004/02/29 23:59:59", RecordingDate{2004, 2, 29, 23, 59, 59}},
    {"29 February of a common year", "Sat Feb 29 10:00:00 2003", std::nullopt},
    {"1900 was no leap year", "1900/02/29 10:00:00", std::nullopt},
    // Guards against months, hours and years that are none taken as they are.
    {"month 13", "2003/13/10 15:04:43", std::nullopt},
    {"hour 24", "Mon Mar 10 24:00:00 2003", std::nullopt},
    {"year 0", "Mon Mar 10 15:04:43 0", std::nullopt},
    // Guards against a month name taken by its first letters, or one that is none.
    {"month spelt out", "Mon March 10 15:04:43 2003", std::nullopt},
    {"no such month", "Mon Mrz 10 15:04:43 2003", std::nullopt},
    // Guards against trailing words, missing fields and other forms passing.
    {"text after the year", "Mon Mar 10 15:04:43 2003 UTC", std::nullopt},
    {"no year", "Mon Mar 10 15:04:43", std::nullopt},
    {"dashes", "2003-03-10 15:04:43", std::nullopt},
    {"empty", "", std::nullopt},
};

class AviRecordingDateText : public ::testing::TestWithParam<DateCase> {};

TEST_P(AviRecordingDateText, ReadsTheFormsFfmpegReads) {
    const DateCase& c = GetParam();
    EXPECT_EQ(parseRecordingDate(c.text.data(), c.text.size()), c.date);
}

INSTANTIATE_TEST_SUITE_P(Table, AviRecordingDateText, ::testing::ValuesIn(kDates),
                         [](const ::testing::TestParamInfo<DateCase>& param) {
                             return caseName(param.param.name);
                         });

// The clip with an IDIT chunk of that size holding the date (NULs after it up to the size,
// unless that is hostile) at the end of hdrl, or at the top level just before LIST movi.
Bytes withIdit(std::uint32_t size, bool inHdrl) {
    const std::string text = "Mon Mar 10 15:04:43 2003";
    Bytes idit = {'I', 'D', 'I', 'T', 0, 0, 0, 0};
    putLe32(idit, 4, size);
    idit.insert(idit.end(), text.begin(), text.end());
    idit.resize(8 + (size <= (1u << 16) ? size + size % 2 : text.size()));
    Bytes b = corpusVideo("sound_mars");
    std::size_t at = inHdrl ? 20 + getLe32(b, 16) : findFourcc(b, "movi") - 8;
    b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), idit.begin(), idit.end());
    putLe32(b, 4, getLe32(b, 4) + static_cast<std::uint32_t>(idit.size()));
    if (inHdrl)
        putLe32(b, 16, getLe32(b, 16) + static_cast<std::uint32_t>(idit.size()));
    return b;
}

struct PlacedCase {
    const char* name;
    std::uint32_t size;
    bool inHdrl, dated;
    VideoState state;
};

const PlacedCase kPlaced[] = {
    // Guards against the chunk ffmpeg reads in hdrl not being looked for.
    {"in hdrl", 25, true, true, VideoState::Ok},
    // Guards against one at the top level before movi not being looked for.
    {"at the top level", 25, false, true, VideoState::Ok},
    // Guards against a long chunk read whole: its start holds the date, the rest is NULs.
    {"a long chunk", 4025, true, true, VideoState::Ok},
    // Guards against an empty chunk read past its end.
    {"empty", 0, true, false, VideoState::Ok},
    // Guards against a size past hdrl's end read beyond it: hdrl is then no header at all.
    {"a size past hdrl", 0x7FFFFFF0, true, false, VideoState::Unreadable},
};

class AviRecordingDatePlaced : public ::testing::TestWithParam<PlacedCase> {};

TEST_P(AviRecordingDatePlaced, ReadsTheDateWhereTheHeaderHoldsIt) {
    const PlacedCase& c = GetParam();
    VideoReport report = inspectBytes(withIdit(c.size, c.inHdrl));
    EXPECT_EQ(report.recorded, c.dated ? std::optional<RecordingDate>(kTenMarch) : std::nullopt);
    EXPECT_EQ(report.state, c.state);
}

INSTANTIATE_TEST_SUITE_P(Table, AviRecordingDatePlaced, ::testing::ValuesIn(kPlaced),
                         [](const ::testing::TestParamInfo<PlacedCase>& param) {
                             return caseName(param.param.name);
                         });

// Guards against a clip that says it began when its first source did: the date given goes over
// the IDIT's, in the form the chunk has room for, in one RIFF and in a rebuilt OpenDML header.
TEST(AviRecordingDate, AClipSaysWhenItsFirstFrameWasRecorded) {
    const RecordingDate later{2003, 3, 10, 15, 5, 1};
    for (std::uint32_t size : {25u, 20u}) {
        for (std::uint64_t singleRiffUpTo : {std::uint64_t{1} << 30, std::uint64_t{4096}}) {
            Bytes video = withIdit(size, true);
            MemorySource source(video);
            VideoReading reading = readVideo(source, Chunks::Keep);
            Plan plan;
            plan.ranges = {{0, 2, reading.chunks.size(), {}}};
            plan.singleRiffUpTo = singleRiffUpTo;
            plan.recorded = later;
            MemoryOutput output({&source});
            WriteOutcome outcome = writePlan(plan, {&reading}, output);
            ASSERT_TRUE(outcome.written) << size;
            EXPECT_EQ(outcome.openDml, singleRiffUpTo < (1u << 20)) << size;
            EXPECT_EQ(inspectBytes(output.bytes()).recorded, later) << size;
        }
    }
    EXPECT_EQ(recordingDateText(later, 25), "Mon Mar 10 15:05:01 2003\n");
    EXPECT_EQ(recordingDateText(later, 20), "2003/03/10 15:05:01");
    EXPECT_EQ(recordingDateText(later, 18), "");
}

} // namespace
} // namespace kovra::avi::test
