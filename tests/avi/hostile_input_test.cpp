// Inputs that lie: every size and count is untrusted. Each gives a report and, where it can be
// repaired, a repair of the promised size that reads back as sound (ASan and UBSan watch the
// native run).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

struct HostileCase {
    const char* name;
    std::function<void(Bytes&)> damage; // applied to the sound "MARS" clip
    VideoState state;
    const char* problem; // a text the report must hold
};

std::size_t avih(const Bytes& b) {
    return findFourcc(b, "avih") + 8;
}
std::size_t strh(const Bytes& b, int n) {
    std::size_t at = findFourcc(b, "strh");
    return (n == 0 ? at : findFourcc(b, "strh", at + 4)) + 8;
}
std::size_t idx1(const Bytes& b) {
    return findFourcc(b, "idx1");
}
std::size_t firstChunk(const Bytes& b) {
    return findFourcc(b, "movi") + 4;
}
void rename(Bytes& b, std::size_t at, const char* fourcc) {
    std::copy_n(fourcc, 4, &b[at]);
}
void cutAt(Bytes& b, std::size_t at) {
    b.resize(at);
}

const HostileCase kCases[] = {
    // Sizes that lie.
    {"RIFF size huge", [](Bytes& b) { putLe32(b, 4, 0xFFFFFFFF); }, VideoState::Repairable,
     "RIFF size 4294967295"},
    {"RIFF size odd", [](Bytes& b) { putLe32(b, 4, 7); }, VideoState::Repairable, "RIFF size 7"},
    {"movi size past the end: the data decides where movi ends",
     [](Bytes& b) { putLe32(b, firstChunk(b) - 8, 0xFFFFFFF0); }, VideoState::Repairable,
     "movi size 4294967280"},
    {"movi size odd and short, ending inside a frame",
     [](Bytes& b) { putLe32(b, firstChunk(b) - 8, 101); }, VideoState::Repairable, "movi size 101"},
    {"a chunk size of 4 GiB with valid chunks after it: resync",
     [](Bytes& b) {
         putLe32(b, firstChunk(b) + 4, 0xFFFFFFFF);
         cutAt(b, idx1(b));
     },
     VideoState::Repairable, "garbage between chunks"},
    {"hdrl size past the end", [](Bytes& b) { putLe32(b, findFourcc(b, "hdrl") - 4, 0xFFFFFF00); },
     VideoState::Unreadable, "no readable header (hdrl)"},
    {"strl size past its hdrl", [](Bytes& b) { putLe32(b, findFourcc(b, "strl") - 4, 0x10000); },
     VideoState::Unreadable, "no readable header (hdrl)"},
    {"avih too short to hold its fields", [](Bytes& b) { putLe32(b, avih(b) - 4, 8); },
     VideoState::Unreadable, "no readable header (hdrl)"},
    {"strh too short to hold its fields", [](Bytes& b) { putLe32(b, strh(b, 0) - 4, 4); },
     VideoState::Unreadable, "no readable header (hdrl)"},
    // Counts that overflow or lie.
    {"avih total frames at its maximum", [](Bytes& b) { putLe32(b, avih(b) + 16, 0xFFFFFFFF); },
     VideoState::Repairable, "avih total frames 4294967295, data holds 4"},
    {"avih stream count 0", [](Bytes& b) { putLe32(b, avih(b) + 24, 0); }, VideoState::Repairable,
     "avih streams 0, header holds 2"},
    {"avih stream count 200", [](Bytes& b) { putLe32(b, avih(b) + 24, 200); },
     VideoState::Repairable, "avih streams 200, header holds 2"},
    {"strh length at its maximum", [](Bytes& b) { putLe32(b, strh(b, 1) + 32, 0xFFFFFFFF); },
     VideoState::Repairable, "strh length of stream 1 4294967295, data holds 2160"},
    {"no strl at all: a stream count of 0 in fact",
     [](Bytes& b) {
         rename(b, findFourcc(b, "strl"), "xxxx");
         rename(b, findFourcc(b, "strl"), "xxxx");
     },
     VideoState::Unreadable, "no video stream"},
    // The index.
    {"idx1 entry pointing past the end", [](Bytes& b) { putLe32(b, idx1(b) + 8 + 24, 0x7FFFFFF0); },
     VideoState::Repairable, "index disagrees with the data"},
    {"idx1 entry count past the end", [](Bytes& b) { putLe32(b, idx1(b) + 4, 0xFFFFFFF0); },
     VideoState::Repairable, "index cut off"},
    {"idx1 size not a multiple of an entry", [](Bytes& b) { putLe32(b, idx1(b) + 4, 16 * 6 + 3); },
     VideoState::Repairable, "index disagrees with the data"},
    {"idx1 entries all zero", [](Bytes& b) { std::fill(b.begin() + idx1(b) + 8, b.end(), 0); },
     VideoState::Repairable, "index disagrees with the data"},
    // Structure.
    {"idx1 offsets counted from the file's start, as some writers do",
     [](Bytes& b) { b = corpusVideo("absolute_index"); }, VideoState::Ok, nullptr},
    {"data chunks grouped in LIST rec", [](Bytes& b) { b = corpusVideo("rec_lists"); },
     VideoState::Ok, nullptr},
    {"nested LIST inside a strl, skipped",
     [](Bytes& b) {
         std::size_t junk = findFourcc(b, "JUNK");
         rename(b, junk, "LIST");
         rename(b, junk + 8, "strl");
     },
     VideoState::Ok, nullptr},
    {"OpenDML AVIX part whose sizes point past the end",
     [](Bytes& b) {
         b = corpusVideo("avix_part");
         std::size_t avix = findFourcc(b, "AVIX") - 8;
         putLe32(b, avix + 4, 0xFFFFFFF0);
         putLe32(b, avix + 16, 0xFFFFFFF0);
     },
     VideoState::Repairable, "OpenDML continuation: 1 AVIX parts"},
    {"data chunks of a stream the header lacks",
     [](Bytes& b) {
         for (std::size_t at = firstChunk(b); at < idx1(b); at = findFourcc(b, "00dc", at + 1))
             if (b[at] == '0' && b[at + 1] == '0' && b[at + 2] == 'd')
                 rename(b, at, "07dc");
     },
     VideoState::Unreadable, "no complete frame"},
    {"no LIST movi", [](Bytes& b) { rename(b, findFourcc(b, "movi"), "mova"); },
     VideoState::Unreadable, "no movi list"},
    {"not an AVI form", [](Bytes& b) { rename(b, 8, "WAVE"); }, VideoState::Unreadable,
     "not an AVI file"},
    {"truncated hdrl", [](Bytes& b) { cutAt(b, avih(b) + 20); }, VideoState::Unreadable,
     "no readable header (hdrl)"},
    {"only a RIFF header", [](Bytes& b) { cutAt(b, 12); }, VideoState::Unreadable,
     "no readable header (hdrl)"},
    {"three bytes", [](Bytes& b) { cutAt(b, 3); }, VideoState::Unreadable, "not an AVI file"},
    {"empty", [](Bytes& b) { b.clear(); }, VideoState::Unreadable, "not an AVI file"},
    {"zeros", [](Bytes& b) { b.assign(4096, 0); }, VideoState::Unreadable, "not an AVI file"},
};

void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

class AviHostileInput : public ::testing::TestWithParam<HostileCase> {};

TEST_P(AviHostileInput, ReportsAndRepairsSafely) {
    const HostileCase& c = GetParam();
    Bytes input = corpusVideo("sound_mars");
    c.damage(input);
    VideoReport report = inspectBytes(input);
    EXPECT_EQ(stateName(report.state), std::string(stateName(c.state)));
    if (c.problem) {
        bool found = false;
        for (const std::string& p : report.problems)
            found = found || p.find(c.problem) != std::string::npos;
        EXPECT_TRUE(found) << "no problem \"" << c.problem << "\" among "
                           << ::testing::PrintToString(report.problems);
    }
    Repaired repaired = repairBytes(input);
    ASSERT_EQ(repaired.result.written, c.state != VideoState::Unreadable) << repaired.result.reason;
    if (!repaired.result.written) {
        EXPECT_EQ(report.repairedSize, 0u);
        EXPECT_FALSE(repaired.result.reason.empty());
        return;
    }
    EXPECT_EQ(repaired.bytes.size(), report.repairedSize);
    VideoReport again = inspectBytes(repaired.bytes);
    EXPECT_EQ(again.state, VideoState::Ok) << ::testing::PrintToString(again.problems);
    EXPECT_EQ(again.frames, report.frames);
}

INSTANTIATE_TEST_SUITE_P(Table, AviHostileInput, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HostileCase>& param) {
                             return caseName(param.param.name);
                         });

} // namespace
} // namespace kovra::avi::test
