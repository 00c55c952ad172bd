// Frames no decoder should see are refused before one does; sound frames, with tables of
// their own or without, give a picture of the size asked that the codec reads back. Natively
// under the sanitizers (a refusal costs no crash, no large allocation) and under Wine (WIC).
#include <gtest/gtest.h>

#include <string>

#include "pictures/jpeg_frame.h"
#include "pictures/thumbnail.h"
#include "platform/picture_codec.h"
#include "tests/support/scratch_dir.h"

namespace kovra::pictures {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A 48x32 frame of the fuzzer's seeds, made by ffmpeg.
Bytes seed(const char* name) {
    return test::readAll(std::string(KOVRA_JPEG_CORPUS) + "/" + name + ".jpg");
}

// SOI, a SOF of the given sides, precision and components, a quantisation table (or none),
// SOS, a byte of data, EOI.
Bytes frameClaiming(unsigned width, unsigned height, std::uint8_t sof = 0xC0,
                    std::uint8_t components = 3, std::uint8_t precision = 8, bool dqt = true) {
    auto hi = [](unsigned v) { return static_cast<std::uint8_t>(v >> 8); };
    auto lo = [](unsigned v) { return static_cast<std::uint8_t>(v); };
    const unsigned sofLength = 8 + 3 * components;
    Bytes f = {0xFF,      0xD8,       0xFF,       sof,       hi(sofLength), lo(sofLength),
               precision, hi(height), lo(height), hi(width), lo(width),     components};
    // Each component's id, sampling and table, one byte at a time: mingw's GCC 12 takes an
    // initializer list's insert into this vector for a write past its end.
    for (std::uint8_t c = 1; c <= components; ++c)
        for (std::uint8_t b : {c, std::uint8_t{0x11}, std::uint8_t{0}})
            f.push_back(b);
    Bytes table = {0xFF, 0xDB, 0, 0x43, 0};
    table.resize(table.size() + 64, 1);
    const Bytes scan = {0xFF, 0xDA, 0, 0x0C, 3, 1, 0, 2, 0x11, 3, 0x11, 0, 0x3F, 0};
    const Bytes data = {0x55, 0xFF, 0xD9};
    if (dqt)
        f.insert(f.end(), table.begin(), table.end());
    for (const Bytes* part : {&scan, &data})
        f.insert(f.end(), part->begin(), part->end());
    return f;
}

Bytes cut(Bytes f, std::size_t n) {
    f.resize(std::min(n, f.size()));
    return f;
}

Bytes with(Bytes f, std::size_t at, std::uint8_t value) {
    f.at(at) = value;
    return f;
}

// Each case guards against a frame the codec would be handed (a crash, an allocation of
// gigabytes, or Linux and Windows telling different stories) and against the wrong reason
// reaching the gallery.
TEST(HostileFrames, AreRefusedBeforeAnyDecodeAndSayWhy) {
    const Bytes sound = seed("own_tables"), synthetic = frameClaiming(64, 48);
    const std::size_t sofLength = 4; // in frameClaiming
    Bytes fill(1 << 16, 0xFF);
    fill[1] = 0xD8;
    Bytes scanFirst = synthetic;
    scanFirst.erase(scanFirst.begin() + 2, scanFirst.begin() + 2 + 2 + 0x11);
    const struct {
        const char* name;
        Bytes frame;
        NoPicture why;
    } cases[] = {
        // Not a JPEG at all: an audio chunk, nothing; SOI and nothing after it.
        {"not a JPEG", Bytes(64, 0x11), NoPicture::NotJpeg},
        {"empty", {}, NoPicture::NotJpeg},
        {"SOI alone", {0xFF, 0xD8}, NoPicture::CutShort},
        // Cut inside a length, inside SOF, right after SOS, before EOI.
        {"cut in a length", cut(synthetic, sofLength + 1), NoPicture::CutShort},
        {"cut in SOF", cut(synthetic, 12), NoPicture::CutShort},
        {"cut after SOS", cut(synthetic, synthetic.size() - 3), NoPicture::CutShort},
        {"cut in the data", cut(sound, sound.size() - 40), NoPicture::CutShort},
        {"no EOI", cut(sound, sound.size() - 2), NoPicture::CutShort},
        // Sizes a decoder would allocate for: gigabytes, nothing, one past the bound.
        {"65535x65535", frameClaiming(65535, 65535), NoPicture::TooLarge},
        {"8193 wide", frameClaiming(kMostSide + 1, 48), NoPicture::TooLarge},
        {"zero wide", frameClaiming(0, 48), NoPicture::ZeroSize},
        {"0x0", frameClaiming(0, 0), NoPicture::ZeroSize},
        // What libjpeg-turbo and WIC read differently, or not at all.
        {"no components", frameClaiming(64, 48, 0xC0, 0), NoPicture::ComponentCount},
        {"CMYK", frameClaiming(64, 48, 0xC0, 4), NoPicture::Cmyk},
        {"12-bit extended", frameClaiming(64, 48, 0xC1, 3, 12), NoPicture::NotEightBit},
        {"no DQT", frameClaiming(64, 48, 0xC0, 3, 8, false), NoPicture::NoQuantTable},
        {"arithmetic coded", frameClaiming(64, 48, 0xC9), NoPicture::OtherCoding},
        // Lengths that lie: past the end, shorter than the length field itself.
        {"segment past the end", with(synthetic, sofLength, 0xFF), NoPicture::CutShort},
        {"segment shorter than its length", with(synthetic, sofLength + 1, 1),
         NoPicture::DamagedMarkers},
        // Nothing but fill bytes after SOI; a scan before any frame header.
        {"endless fill", fill, NoPicture::CutShort},
        {"scan before frame", scanFirst, NoPicture::DamagedMarkers},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        JpegCheck check = readJpegLayout(c.frame.data(), c.frame.size());
        EXPECT_FALSE(check.layout);
        EXPECT_EQ(check.refused, c.why);
        Bytes frame = c.frame;
        Thumbnail made = makeThumbnail(frame, 32);
        EXPECT_FALSE(made.picture);
        EXPECT_EQ(made.refused, c.why);
    }
}

TEST(HostileFrames, SoundFramesGiveAPictureTheCodecReadsBack) {
    const struct {
        const char* seed;
        unsigned asked, width, height;
    } cases[] = {
        // Scaled down, and in proportion.
        {"own_tables", 24, 24, 16},
        // Never larger than the frame.
        {"own_tables", 640, 48, 32},
        // The recorder's kind: without the tables put in, no codec reads it.
        {"no_tables", 24, 24, 16},
        // A width no scale factor gives: the resize brings it to the exact size.
        {"no_tables", 10, 10, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.seed) + " at " + std::to_string(c.asked));
        Bytes frame = seed(c.seed);
        Thumbnail made = makeThumbnail(frame, c.asked);
        EXPECT_EQ(made.refused, NoPicture::None);
        const std::optional<Picture>& p = made.picture;
        ASSERT_TRUE(p);
        EXPECT_EQ(p->width, c.width);
        EXPECT_EQ(p->height, c.height);
        EXPECT_STREQ(p->extension, "jpg");
        RgbImage again;
        ASSERT_TRUE(decodeJpegScaled(p->bytes.data(), p->bytes.size(), c.width, c.height, again));
        EXPECT_EQ(again.width, c.width);
        EXPECT_EQ(again.height, c.height);
    }
}

} // namespace
} // namespace kovra::pictures
