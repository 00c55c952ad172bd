// Stream formats ffmpeg cannot open (ffmpeg 5.1, as avi/format_check.cpp notes): such a video
// is unreadable, naming the stream, never sound or "repaired" into a file no player opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

// In the clip, stream 0 is the video and stream 1 the sound, and a JUNK follows each strf.
constexpr std::size_t kHeader = 8, kStrhRate = 24, kWfxChannels = 2, kWfxRate = 4;

std::size_t nth(const Bytes& b, const char* fourcc, int stream) {
    std::size_t at = findFourcc(b, fourcc);
    return stream == 0 ? at : findFourcc(b, fourcc, at + 4);
}
// The stream's strf made size bytes long, the JUNK after it grown to keep the layout.
void shrinkStrf(Bytes& b, int stream, std::uint32_t size) {
    std::size_t at = nth(b, "strf", stream), junk = at + kHeader + getLe32(b, at + 4);
    std::size_t end = junk + kHeader + getLe32(b, junk + 4), moved = at + kHeader + size;
    putLe32(b, at + 4, size);
    std::copy_n("JUNK", 4, &b[moved]);
    putLe32(b, moved + 4, static_cast<std::uint32_t>(end - moved - kHeader));
}

struct FormatCase {
    const char* name;
    void (*damage)(Bytes&);
    std::optional<Finding> failure; // none: the video stays readable
};

const FormatCase kCases[] = {
    // Guards against a video without its codec passed on to a player with none to use.
    {"video strf missing", [](Bytes& b) { std::copy_n("JUNK", 4, &b[nth(b, "strf", 0)]); },
     Finding{FindingKind::DamagedFormat, 0}},
    {"video strf too short for its compression code", [](Bytes& b) { shrinkStrf(b, 0, 16); },
     Finding{FindingKind::DamagedFormat, 0}},
    // Guards against refusing a short BITMAPINFOHEADER that ffmpeg plays.
    {"video strf of 20 bytes", [](Bytes& b) { shrinkStrf(b, 0, 20); }, std::nullopt},
    // Guards against sound whose format ffmpeg refuses, or cannot decode.
    {"sound strf of 14 bytes", [](Bytes& b) { shrinkStrf(b, 1, 14); },
     Finding{FindingKind::DamagedFormat, 1}},
    {"sound of no channels", [](Bytes& b) { b[nth(b, "strf", 1) + kHeader + kWfxChannels] = 0; },
     Finding{FindingKind::DamagedFormat, 1}},
    // Guards against sound ffmpeg cannot time, or refuses for want of a rate.
    {"sample rate 0", [](Bytes& b) { putLe32(b, nth(b, "strf", 1) + kHeader + kWfxRate, 0); },
     Finding{FindingKind::SoundWithoutRate, 1}},
    {"sound strh rate 0", [](Bytes& b) { putLe32(b, nth(b, "strh", 1) + kHeader + kStrhRate, 0); },
     Finding{FindingKind::SoundWithoutRate, 1}},
};

class AviStreamFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(AviStreamFormat, UnreadableExactlyWhereFfmpegCannotOpenTheStream) {
    Bytes input = corpusVideo("sound_mars");
    GetParam().damage(input);
    Repaired repaired = repairBytes(input);
    const std::optional<Finding>& failure = GetParam().failure;
    EXPECT_EQ(repaired.report.state, failure ? VideoState::Unreadable : VideoState::Ok);
    EXPECT_TRUE(repaired.report.findings ==
                (failure ? std::vector<Finding>{*failure} : std::vector<Finding>{}));
    EXPECT_EQ(repaired.outcome.written, !failure);
}

INSTANTIATE_TEST_SUITE_P(Table, AviStreamFormat, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FormatCase>& param) {
                             return caseName(param.param.name);
                         });

} // namespace
} // namespace kovra::avi::test
