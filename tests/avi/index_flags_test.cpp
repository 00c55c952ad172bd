// The key-frame flags a repair writes into the fresh idx1.
#include <gtest/gtest.h>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

// The flags of the repaired file's video entries, in order.
std::vector<std::uint32_t> videoFlags(const Bytes& repaired) {
    std::vector<std::uint32_t> flags;
    std::size_t idx1 = findFourcc(repaired, "idx1");
    for (std::size_t e = idx1 + 8; e + 16 <= repaired.size(); e += 16)
        if (repaired[e] == '0' && repaired[e + 1] == '0')
            flags.push_back(getLe32(repaired, e + 4));
    return flags;
}

// The clip as if its codec were one with frames between key frames.
void makeInterCoded(Bytes& b) {
    std::size_t strf = findFourcc(b, "strf");
    std::copy_n("XVID", 4, &b[findFourcc(b, "strh") + 8 + 4]);
    std::copy_n("XVID", 4, &b[strf + 8 + 16]);
}

struct FlagsCase {
    const char* name;
    void (*damage)(Bytes&);
    std::vector<std::uint32_t> flags;
};

void putOldFlags(Bytes& b, std::size_t idx1) {
    // The old index says frames 0 and 2 are key frames; it stays readable for its flags.
    for (std::size_t e = idx1 + 8, frame = 0; e + 16 <= b.size(); e += 16)
        if (b[e] == '0' && b[e + 1] == '0')
            putLe32(b, e + 4, frame++ % 2 == 0 ? 0x10 : 0);
}

const FlagsCase kFlagsCases[] = {
    // Guards against an intra-only codec losing key frames where the index was lost.
    {"MJPEG without an index: every frame a key frame",
     [](Bytes& b) { b.resize(findFourcc(b, "idx1")); },
     {0x10, 0x10, 0x10, 0x10}},
    // Guards against flagging frames no index vouched for: only the first, where play starts.
    {"another codec without an index: the first frame only",
     [](Bytes& b) {
         makeInterCoded(b);
         b.resize(findFourcc(b, "idx1"));
     },
     {0x10, 0, 0, 0}},
    // Guards against throwing away what an index that disagrees still knows.
    {"another codec whose index disagrees: its flags kept",
     [](Bytes& b) {
         makeInterCoded(b);
         std::size_t idx1 = findFourcc(b, "idx1");
         putOldFlags(b, idx1);
         putLe32(b, idx1 + 8 + 16 + 8, 0x7FFFFFF0); // the first audio entry points outside
     },
     {0x10, 0, 0x10, 0}},
    // Guards against losing the flags of an index a power cut cut short.
    {"another codec whose index is cut off: the flags of its whole entries kept",
     [](Bytes& b) {
         makeInterCoded(b);
         std::size_t idx1 = findFourcc(b, "idx1");
         putOldFlags(b, idx1);
         b.resize(idx1 + 8 + 16 * 5 + 7); // entries for frames 0 to 2 survive
     },
     {0x10, 0, 0x10, 0}},
};

void PrintTo(const FlagsCase& c, std::ostream* os) {
    *os << c.name;
}

class AviIndexFlags : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(AviIndexFlags, RepairFlagsKeyFrames) {
    Bytes input = corpusVideo("sound_mars");
    GetParam().damage(input);
    Repaired repaired = repairBytes(input);
    ASSERT_TRUE(repaired.outcome.written);
    ASSERT_EQ(repaired.report.state, VideoState::Repairable);
    EXPECT_EQ(videoFlags(repaired.bytes), GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(Table, AviIndexFlags, ::testing::ValuesIn(kFlagsCases),
                         [](const ::testing::TestParamInfo<FlagsCase>& param) {
                             return caseName(param.param.name);
                         });

} // namespace
} // namespace kovra::avi::test
