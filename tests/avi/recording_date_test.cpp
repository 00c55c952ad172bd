// The recording date of an IDIT chunk: the two forms ffmpeg reads, dates that are none, and
// the chunk where a header holds it, of any size.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "avi/recording_date.h"
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
    // Guards against asctime's padded day ("Mar  5") and NULs after the text.
    {"padded day and NULs", std::string("Wed Mar  5 00:00:00 2003\0\0\0", 28),
     RecordingDate{2003, 3, 5, 0, 0, 0}},
    // Guards against a month name compared with its case.
    {"month in capitals", "MON MAR 10 15:04:43 2003", kTenMarch},
    // Guards against only one space taken between fields, where ffmpeg takes any number.
    {"several spaces", "Mon   Mar 10   15:04:43    2003  \r\n", kTenMarch},
    // Guards against bytes after the first NUL read as part of the date, as C strings end.
    {"junk after a NUL", std::string("2003/03/10 15:04:43\0garbage", 27), kTenMarch},
    // Guards against 29 February refused in a leap year.
    {"leap day", "2004/02/29 23:59:59", RecordingDate{2004, 2, 29, 23, 59, 59}},
    // Guards against impossible dates taken as they are.
    {"29 February of a common year", "2003/02/29 10:00:00", std::nullopt},
    {"30 February", "Sat Feb 30 10:00:00 2008", std::nullopt},
    {"1900 was no leap year", "1900/02/29 10:00:00", std::nullopt},
    {"month 13", "2003/13/10 15:04:43", std::nullopt},
    {"day 0", "2003/03/00 15:04:43", std::nullopt},
    {"hour 24", "Mon Mar 10 24:00:00 2003", std::nullopt},
    {"minute 60", "2003/03/10 15:60:00", std::nullopt},
    {"year 0", "Mon Mar 10 15:04:43 0", std::nullopt},
    // Guards against a month name taken by its first letters, or not taken at all.
    {"no such month", "Mon Mrz 10 15:04:43 2003", std::nullopt},
    {"month spelt out", "Mon March 10 15:04:43 2003", std::nullopt},
    // Guards against trailing words, missing fields and other text passing.
    {"text after the year", "Mon Mar 10 15:04:43 2003 UTC", std::nullopt},
    {"no year", "Mon Mar 10 15:04:43", std::nullopt},
    {"a time without seconds", "2003/03/10 15:04", std::nullopt},
    {"dashes", "2003-03-10 15:04:43", std::nullopt},
    {"empty", "", std::nullopt},
    {"NULs only", std::string(8, '\0'), std::nullopt},
    {"a three-digit day", "Mon Mar 100 15:04:43 2003", std::nullopt},
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

// Guards against reading past the size given: the text ends where the size says.
TEST(AviRecordingDate, ReadsNoFurtherThanTheSize) {
    const char text[] = "2003/03/10 15:04:43";
    EXPECT_EQ(parseRecordingDate(text, sizeof text - 1), kTenMarch);
    EXPECT_EQ(parseRecordingDate(text, sizeof text - 3), std::nullopt);
    EXPECT_EQ(parseRecordingDate(nullptr, 0), std::nullopt);
}

// A chunk whose payload is the text, NULs after it up to its size unless that is hostile.
Bytes chunk(const char* id, const std::string& text, std::uint32_t size) {
    constexpr std::uint32_t kMostFilled = 1 << 16;
    Bytes b(id, id + 4);
    b.resize(8);
    putLe32(b, 4, size);
    b.insert(b.end(), text.begin(), text.end());
    if (size <= kMostFilled)
        b.resize(8 + size);
    if (b.size() % 2)
        b.push_back(0);
    return b;
}

// The clip with a chunk put at the end of hdrl, or at the top level just before LIST movi.
Bytes withChunk(const Bytes& chunkBytes, bool inHdrl) {
    Bytes b = corpusVideo("sound_mars");
    std::size_t at = inHdrl ? 20 + getLe32(b, 16) : findFourcc(b, "movi") - 8;
    b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), chunkBytes.begin(), chunkBytes.end());
    auto grow = static_cast<std::uint32_t>(chunkBytes.size());
    putLe32(b, 4, getLe32(b, 4) + grow);
    if (inHdrl)
        putLe32(b, 16, getLe32(b, 16) + grow);
    return b;
}

struct PlacedCase {
    const char* name;
    Bytes chunkBytes;
    bool inHdrl;
    std::optional<RecordingDate> date;
    VideoState state;
};

const std::string kDate = "Mon Mar 10 15:04:43 2003";

const PlacedCase kPlaced[] = {
    // Guards against the chunk ffmpeg reads in hdrl not being looked for.
    {"in hdrl", chunk("IDIT", kDate, 25), true, kTenMarch, VideoState::Ok},
    // Guards against one at the top level before movi not being looked for.
    {"at the top level", chunk("IDIT", kDate, 25), false, kTenMarch, VideoState::Ok},
    // Guards against a long chunk read whole: its start holds the date, the rest is NULs.
    {"a long chunk", chunk("IDIT", kDate, 4025), true, kTenMarch, VideoState::Ok},
    // Guards against an empty chunk read past its end.
    {"empty", chunk("IDIT", "", 0), true, std::nullopt, VideoState::Ok},
    // Guards against a size past hdrl's end read beyond it: hdrl is then no header at all.
    {"a size past hdrl", chunk("IDIT", kDate, 0x7FFFFFF0), true, std::nullopt,
     VideoState::Unreadable},
    // Guards against a chunk named otherwise taken for the date.
    {"another chunk", chunk("ISFT", kDate, 25), true, std::nullopt, VideoState::Ok},
};

class AviRecordingDatePlaced : public ::testing::TestWithParam<PlacedCase> {};

TEST_P(AviRecordingDatePlaced, ReadsTheDateWhereTheHeaderHoldsIt) {
    const PlacedCase& c = GetParam();
    Bytes input = withChunk(c.chunkBytes, c.inHdrl);
    VideoReport report = inspectBytes(input);
    EXPECT_EQ(report.recorded, c.date);
    EXPECT_EQ(report.state, c.state);
}

INSTANTIATE_TEST_SUITE_P(Table, AviRecordingDatePlaced, ::testing::ValuesIn(kPlaced),
                         [](const ::testing::TestParamInfo<PlacedCase>& param) {
                             return caseName(param.param.name);
                         });

} // namespace
} // namespace kovra::avi::test
