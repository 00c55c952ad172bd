// Inputs that lie: every size and count is untrusted. Each gives a report and, where it can be
// repaired, a repair of the promised size that reads back as sound (ASan and UBSan watch the
// native run).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

// What the report must hold: a finding of this kind, naming this stream and, where they are
// not 0, these numbers.
struct Expected {
    FindingKind kind;
    std::uint32_t stream;
    std::uint64_t stated, found;
};

struct HostileCase {
    const char* name;
    std::function<void(Bytes&)> damage; // applied to the sound "MARS" clip
    VideoState state;
    std::optional<Expected> finding;
};

using K = FindingKind;
constexpr std::uint64_t kMax = 0xFFFFFFFF;

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
// The video's strh claiming rate / scale frames a second, and avih microseconds a frame.
void claimRate(Bytes& b, std::uint32_t rate, std::uint32_t scale, std::uint32_t avihMicros) {
    putLe32(b, strh(b, 0) + 20, scale);
    putLe32(b, strh(b, 0) + 24, rate);
    putLe32(b, avih(b), avihMicros);
}
// A day and a second of 1 fps: the clip's header over that many frames of only a JPEG's first
// and last markers, indexed.
void dayAndASecond(Bytes& b) {
    constexpr std::uint32_t kFrames = 24 * 60 * 60 + 1;
    const std::uint8_t kFrame[] = {'0', '0', 'd', 'c', 4, 0, 0, 0, 0xFF, 0xD8, 0xFF, 0xD9};
    claimRate(b, 1, 1, 1000000);
    std::size_t movi = firstChunk(b) - 4;
    b.resize(movi + 4);
    putLe32(b, movi - 4, 4 + kFrames * sizeof kFrame);
    Bytes index = {'i', 'd', 'x', '1', 0, 0, 0, 0};
    putLe32(index, 4, kFrames * 16);
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        b.insert(b.end(), kFrame, kFrame + sizeof kFrame);
        const std::uint8_t entry[] = {'0', '0', 'd', 'c', 0x10, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0};
        index.insert(index.end(), entry, entry + sizeof entry);
        putLe32(index, index.size() - 8, 4 + i * static_cast<std::uint32_t>(sizeof kFrame));
    }
    b.insert(b.end(), index.begin(), index.end());
    putLe32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
}

const HostileCase kCases[] = {
    // Sizes that lie.
    {"RIFF size huge", [](Bytes& b) { putLe32(b, 4, 0xFFFFFFFF); }, VideoState::Repairable,
     Expected{K::RiffSize, 0, kMax, 0}},
    {"RIFF size odd", [](Bytes& b) { putLe32(b, 4, 7); }, VideoState::Repairable,
     Expected{K::RiffSize, 0, 7, 0}},
    {"movi size past the end: the data decides where movi ends",
     [](Bytes& b) { putLe32(b, firstChunk(b) - 8, 0xFFFFFFF0); }, VideoState::Repairable,
     Expected{K::MoviSize, 0, 0xFFFFFFF0, 0}},
    {"movi size odd and short, ending inside a frame",
     [](Bytes& b) { putLe32(b, firstChunk(b) - 8, 101); }, VideoState::Repairable,
     Expected{K::MoviSize, 0, 101, 0}},
    {"a chunk size of 4 GiB with valid chunks after it: resync",
     [](Bytes& b) {
         putLe32(b, firstChunk(b) + 4, 0xFFFFFFFF);
         cutAt(b, idx1(b));
     },
     VideoState::Repairable, Expected{K::Garbage, 0, 0, 0}},
    {"hdrl size past the end", [](Bytes& b) { putLe32(b, findFourcc(b, "hdrl") - 4, 0xFFFFFF00); },
     VideoState::Unreadable, Expected{K::NoHeader, 0, 0, 0}},
    {"strl size past its hdrl", [](Bytes& b) { putLe32(b, findFourcc(b, "strl") - 4, 0x10000); },
     VideoState::Unreadable, Expected{K::NoHeader, 0, 0, 0}},
    {"avih too short to hold its fields", [](Bytes& b) { putLe32(b, avih(b) - 4, 8); },
     VideoState::Unreadable, Expected{K::NoHeader, 0, 0, 0}},
    {"strh too short to hold its fields", [](Bytes& b) { putLe32(b, strh(b, 0) - 4, 4); },
     VideoState::Unreadable, Expected{K::NoHeader, 0, 0, 0}},
    // Counts that overflow or lie.
    {"avih total frames at its maximum", [](Bytes& b) { putLe32(b, avih(b) + 16, 0xFFFFFFFF); },
     VideoState::Repairable, Expected{K::TotalFrames, 0, kMax, 4}},
    {"avih stream count 0", [](Bytes& b) { putLe32(b, avih(b) + 24, 0); }, VideoState::Repairable,
     Expected{K::StreamCount, 0, 0, 2}},
    {"avih stream count 200", [](Bytes& b) { putLe32(b, avih(b) + 24, 200); },
     VideoState::Repairable, Expected{K::StreamCount, 0, 200, 2}},
    {"strh length at its maximum", [](Bytes& b) { putLe32(b, strh(b, 1) + 32, 0xFFFFFFFF); },
     VideoState::Repairable, Expected{K::StreamLength, 1, kMax, 2160}},
    {"no strl at all: a stream count of 0 in fact",
     [](Bytes& b) {
         rename(b, findFourcc(b, "strl"), "xxxx");
         rename(b, findFourcc(b, "strl"), "xxxx");
     },
     VideoState::Unreadable, Expected{K::NoVideoStream, 0, 0, 0}},
    // Rates and lengths no recorder makes: a frame a century would put a video's end in
    // another millennium. avih's rate, where it is one, is what a repair writes.
    {"strh rate 0/1", [](Bytes& b) { claimRate(b, 0, 1, 66666); }, VideoState::Repairable,
     Expected{K::FrameRate, 0, 0, 1}},
    {"strh rate 1/0", [](Bytes& b) { claimRate(b, 1, 0, 66666); }, VideoState::Repairable,
     Expected{K::FrameRate, 0, 1, 0}},
    {"strh rate 1/0xffffffff", [](Bytes& b) { claimRate(b, 1, 0xFFFFFFFF, 66666); },
     VideoState::Repairable, Expected{K::FrameRate, 0, 1, kMax}},
    {"strh rate 0xffffffff/1", [](Bytes& b) { claimRate(b, 0xFFFFFFFF, 1, 66666); },
     VideoState::Repairable, Expected{K::FrameRate, 0, kMax, 1}},
    {"strh rate 121/1", [](Bytes& b) { claimRate(b, 121, 1, 66666); }, VideoState::Repairable,
     Expected{K::FrameRate, 0, 121, 1}},
    {"strh rate 1/0xffffffff and avih none", [](Bytes& b) { claimRate(b, 1, 0xFFFFFFFF, 0); },
     VideoState::Unreadable, Expected{K::NoFrameRate, 0, 1, kMax}},
    {"strh rate 121/1 and avih's 125 a second", [](Bytes& b) { claimRate(b, 121, 1, 8000); },
     VideoState::Unreadable, Expected{K::NoFrameRate, 0, 121, 1}},
    {"strh rate 0/1 and avih's a frame in 2 seconds", [](Bytes& b) { claimRate(b, 0, 1, 2000000); },
     VideoState::Unreadable, Expected{K::NoFrameRate, 0, 0, 1}},
    {"a day and a second of frames at 1 fps", dayAndASecond, VideoState::Unreadable,
     Expected{K::TooLong, 0, 0, 24 * 60 * 60 + 1}},
    // The index.
    {"idx1 entry pointing past the end", [](Bytes& b) { putLe32(b, idx1(b) + 8 + 24, 0x7FFFFFF0); },
     VideoState::Repairable, Expected{K::IndexDisagrees, 0, 0, 0}},
    {"idx1 entry count past the end", [](Bytes& b) { putLe32(b, idx1(b) + 4, 0xFFFFFFF0); },
     VideoState::Repairable, Expected{K::IndexCutOff, 0, 0, 0}},
    {"idx1 size not a multiple of an entry", [](Bytes& b) { putLe32(b, idx1(b) + 4, 16 * 6 + 3); },
     VideoState::Repairable, Expected{K::IndexDisagrees, 0, 0, 0}},
    {"idx1 entries all zero", [](Bytes& b) { std::fill(b.begin() + idx1(b) + 8, b.end(), 0); },
     VideoState::Repairable, Expected{K::IndexDisagrees, 0, 0, 0}},
    // Structure.
    {"idx1 offsets counted from the file's start, as some writers do",
     [](Bytes& b) { b = corpusVideo("absolute_index"); }, VideoState::Ok, std::nullopt},
    {"data chunks grouped in LIST rec", [](Bytes& b) { b = corpusVideo("rec_lists"); },
     VideoState::Ok, std::nullopt},
    {"nested LIST inside a strl, skipped",
     [](Bytes& b) {
         std::size_t junk = findFourcc(b, "JUNK");
         rename(b, junk, "LIST");
         rename(b, junk + 8, "strl");
     },
     VideoState::Ok, std::nullopt},
    {"OpenDML AVIX part whose sizes point past the end",
     [](Bytes& b) {
         b = corpusVideo("avix_part");
         std::size_t avix = findFourcc(b, "AVIX") - 8;
         putLe32(b, avix + 4, 0xFFFFFFF0);
         putLe32(b, avix + 16, 0xFFFFFFF0);
     },
     VideoState::Repairable, Expected{K::OpenDmlParts, 0, 0, 1}},
    {"data chunks of a stream the header lacks",
     [](Bytes& b) {
         for (std::size_t at = firstChunk(b); at < idx1(b); at = findFourcc(b, "00dc", at + 1))
             if (b[at] == '0' && b[at + 1] == '0' && b[at + 2] == 'd')
                 rename(b, at, "07dc");
     },
     VideoState::Unreadable, Expected{K::NoCompleteFrame, 0, 0, 0}},
    {"no LIST movi", [](Bytes& b) { rename(b, findFourcc(b, "movi"), "mova"); },
     VideoState::Unreadable, Expected{K::NoMovi, 0, 0, 0}},
    {"not an AVI form", [](Bytes& b) { rename(b, 8, "WAVE"); }, VideoState::Unreadable,
     Expected{K::NotAvi, 0, 0, 0}},
    {"truncated hdrl", [](Bytes& b) { cutAt(b, avih(b) + 20); }, VideoState::Unreadable,
     Expected{K::NoHeader, 0, 0, 0}},
    {"only a RIFF header", [](Bytes& b) { cutAt(b, 12); }, VideoState::Unreadable,
     Expected{K::NoHeader, 0, 0, 0}},
    {"three bytes", [](Bytes& b) { cutAt(b, 3); }, VideoState::Unreadable,
     Expected{K::NotAvi, 0, 0, 0}},
    {"empty", [](Bytes& b) { b.clear(); }, VideoState::Unreadable, Expected{K::NotAvi, 0, 0, 0}},
    {"zeros", [](Bytes& b) { b.assign(4096, 0); }, VideoState::Unreadable,
     Expected{K::NotAvi, 0, 0, 0}},
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
    if (c.finding) {
        const Finding* f = findingOf(report, c.finding->kind);
        ASSERT_NE(f, nullptr) << "no finding of kind " << static_cast<int>(c.finding->kind);
        EXPECT_EQ(f->stream, c.finding->stream);
        EXPECT_TRUE(c.finding->stated == 0 || f->stated == c.finding->stated) << f->stated;
        EXPECT_TRUE(c.finding->found == 0 || f->found == c.finding->found) << f->found;
    }
    Repaired repaired = repairBytes(input);
    EXPECT_TRUE(repaired.report.findings == report.findings &&
                repaired.report.repairedSize == report.repairedSize)
        << "a reading for a repair judged otherwise than a listing";
    ASSERT_EQ(repaired.outcome.written, c.state != VideoState::Unreadable);
    if (!repaired.outcome.written) {
        EXPECT_EQ(report.repairedSize, 0u);
        ASSERT_EQ(report.findings.size(), 1u);
        EXPECT_TRUE(isFailure(report.findings.front().kind));
        EXPECT_TRUE(repaired.bytes.empty());
        return;
    }
    EXPECT_EQ(repaired.bytes.size(), report.repairedSize);
    VideoReport again = inspectBytes(repaired.bytes);
    EXPECT_EQ(again.state, VideoState::Ok);
    EXPECT_EQ(again.frames, report.frames);
}

INSTANTIATE_TEST_SUITE_P(Table, AviHostileInput, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HostileCase>& param) {
                             return caseName(param.param.name);
                         });

} // namespace
} // namespace kovra::avi::test
