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

// SOI, a baseline SOF of the given sides and three components, SOS, a byte of data, EOI.
Bytes frameClaiming(unsigned width, unsigned height, std::uint8_t sof = 0xC0,
                    std::uint8_t components = 3) {
    auto hi = [](unsigned v) { return static_cast<std::uint8_t>(v >> 8); };
    auto lo = [](unsigned v) { return static_cast<std::uint8_t>(v); };
    Bytes f = {0xFF, 0xD8,       0xFF,       sof,       0x00,      0x11,
               0x08, hi(height), lo(height), hi(width), lo(width), components};
    const Bytes components3 = {1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
    const Bytes scan = {0xFF, 0xDA, 0, 0x0C, 3, 1, 0, 2, 0x11, 3, 0x11, 0, 0x3F, 0};
    const Bytes data = {0x55, 0xFF, 0xD9};
    for (const Bytes* part : {&components3, &scan, &data})
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

TEST(HostileFrames, AreRefusedBeforeAnyDecode) {
    const Bytes sound = seed("own_tables"), synthetic = frameClaiming(64, 48);
    const std::size_t sofLength = 4; // in frameClaiming
    Bytes fill(1 << 16, 0xFF);
    fill[1] = 0xD8;
    Bytes scanFirst = synthetic;
    scanFirst.erase(scanFirst.begin() + 2, scanFirst.begin() + 2 + 2 + 0x11);
    const struct {
        const char* name;
        Bytes frame;
    } cases[] = {
        // Not a JPEG at all: an audio chunk, nothing, SOI alone.
        {"not a JPEG", Bytes(64, 0x11)},
        {"empty", {}},
        {"SOI alone", {0xFF, 0xD8}},
        // Cut inside a length, inside SOF, right after SOS, before EOI.
        {"cut in a length", cut(synthetic, sofLength + 1)},
        {"cut in SOF", cut(synthetic, 12)},
        {"cut after SOS", cut(synthetic, synthetic.size() - 3)},
        {"cut in the data", cut(sound, sound.size() - 40)},
        {"no EOI", cut(sound, sound.size() - 2)},
        // Sizes a decoder would allocate for: gigabytes, nothing, one past the bound.
        {"65535x65535", frameClaiming(65535, 65535)},
        {"8193 wide", frameClaiming(kMostSide + 1, 48)},
        {"zero wide", frameClaiming(0, 48)},
        {"zero high", frameClaiming(64, 0)},
        {"no components", frameClaiming(64, 48, 0xC0, 0)},
        {"arithmetic coded", frameClaiming(64, 48, 0xC9)},
        // Lengths that lie: past the end, shorter than the length field itself.
        {"segment past the end", with(synthetic, sofLength, 0xFF)},
        {"segment shorter than its length", with(synthetic, sofLength + 1, 1)},
        // Nothing but fill bytes after SOI; a scan before any frame header.
        {"endless fill", fill},
        {"scan before frame", scanFirst},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(readJpegLayout(c.frame.data(), c.frame.size()));
        Bytes frame = c.frame;
        EXPECT_FALSE(makeThumbnail(frame, 32));
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
        std::optional<Picture> p = makeThumbnail(frame, c.asked);
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
