// Stream formats ffmpeg cannot open (ffmpeg 5.1, as avi/format_check.cpp notes): such a video
// is unreadable, naming the stream, never sound or "repaired" into a file no player opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

// In the clip: stream 0 is the video, stream 1 the sound; each strf is followed by a JUNK.
constexpr std::size_t kHeader = 8;
constexpr std::size_t kStrhScale = 20, kStrhRate = 24;
constexpr std::size_t kWfxChannels = 2, kWfxRate = 4, kWfxBlockAlign = 12, kWfxBits = 14;

std::size_t strf(const Bytes& b, int stream) {
    std::size_t at = findFourcc(b, "strf");
    return stream == 0 ? at : findFourcc(b, "strf", at + 4);
}
std::size_t strh(const Bytes& b, int stream) {
    std::size_t at = findFourcc(b, "strh");
    return stream == 0 ? at : findFourcc(b, "strh", at + 4);
}
void put16(Bytes& b, std::size_t at, std::uint16_t value) {
    b.at(at) = static_cast<std::uint8_t>(value);
    b.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}
// The stream's strf made size bytes long, the JUNK after it grown to keep the layout.
void shrinkStrf(Bytes& b, int stream, std::uint32_t size) {
    std::size_t at = strf(b, stream);
    std::size_t junk = at + kHeader + getLe32(b, at + 4);
    std::size_t end = junk + kHeader + getLe32(b, junk + 4);
    std::size_t moved = at + kHeader + size + size % 2;
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
    {"video strf missing", [](Bytes& b) { std::copy_n("JUNK", 4, &b[strf(b, 0)]); },
     Finding{FindingKind::DamagedFormat, 0}},
    {"video strf too short for its compression code", [](Bytes& b) { shrinkStrf(b, 0, 16); },
     Finding{FindingKind::DamagedFormat, 0}},
    // Guards against refusing a short BITMAPINFOHEADER that ffmpeg plays.
    {"video strf of 20 bytes", [](Bytes& b) { shrinkStrf(b, 0, 20); }, std::nullopt},
    // Guards against sound whose format ffmpeg refuses (and with it the whole file).
    {"sound strf missing", [](Bytes& b) { std::copy_n("JUNK", 4, &b[strf(b, 1)]); },
     Finding{FindingKind::DamagedFormat, 1}},
    {"sound strf of 14 bytes", [](Bytes& b) { shrinkStrf(b, 1, 14); },
     Finding{FindingKind::DamagedFormat, 1}},
    {"sound of no channels", [](Bytes& b) { put16(b, strf(b, 1) + kHeader + kWfxChannels, 0); },
     Finding{FindingKind::DamagedFormat, 1}},
    {"PCM of 0 bits a sample", [](Bytes& b) { put16(b, strf(b, 1) + kHeader + kWfxBits, 0); },
     Finding{FindingKind::DamagedFormat, 1}},
    // Guards against sound ffmpeg cannot time, or refuses for want of a rate.
    {"sample rate 0", [](Bytes& b) { putLe32(b, strf(b, 1) + kHeader + kWfxRate, 0); },
     Finding{FindingKind::SoundWithoutRate, 1}},
    {"sound strh rate 0", [](Bytes& b) { putLe32(b, strh(b, 1) + kHeader + kStrhRate, 0); },
     Finding{FindingKind::SoundWithoutRate, 1}},
    {"sound strh scale 0", [](Bytes& b) { putLe32(b, strh(b, 1) + kHeader + kStrhScale, 0); },
     Finding{FindingKind::SoundWithoutRate, 1}},
    // Guards against refusing what ffmpeg plays as before.
    {"block align 0", [](Bytes& b) { put16(b, strf(b, 1) + kHeader + kWfxBlockAlign, 0); },
     std::nullopt},
    {"video strh rate 0: avih's frame period stands in",
     [](Bytes& b) { putLe32(b, strh(b, 0) + kHeader + kStrhRate, 0); }, std::nullopt},
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

class AviStreamFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(AviStreamFormat, UnreadableExactlyWhereFfmpegCannotOpenTheStream) {
    Bytes input = corpusVideo("sound_mars");
    GetParam().damage(input);
    Repaired repaired = repairBytes(input);
    const std::optional<Finding>& failure = GetParam().failure;
    if (failure) {
        EXPECT_EQ(repaired.report.state, VideoState::Unreadable);
        EXPECT_TRUE(repaired.report.findings == std::vector<Finding>{*failure});
        EXPECT_FALSE(repaired.outcome.written);
        return;
    }
    EXPECT_EQ(repaired.report.state, VideoState::Ok);
    EXPECT_EQ(repaired.report.frames, 4u);
}

INSTANTIATE_TEST_SUITE_P(Table, AviStreamFormat, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FormatCase>& param) {
                             return caseName(param.param.name);
                         });

} // namespace
} // namespace kovra::avi::test
