// Frames no decoder should see are refused before one does: not a JPEG, cut short, sizes of
// nothing or of gigabytes, lengths that run past the end, endless fill bytes. Under the
// sanitizers (and under Wine, through WIC) a refusal must cost no crash and no large
// allocation; a sound frame of the same video still gives a picture that decodes again.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "pictures/jpeg_frame.h"
#include "pictures/thumbnail.h"
#include "platform/picture_codec.h"
#include "tests/support/scratch_dir.h"

namespace kovra::pictures {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The first frame of a corpus video: a 64x48 JPEG ffmpeg made, with its own tables.
Bytes corpusFrame() {
    Bytes avi = test::readAll(std::string(KOVRA_AVI_CORPUS) + "/sound_riff.avi");
    const std::string id = "00dc";
    for (std::size_t i = 0; i + 8 < avi.size(); ++i)
        if (std::equal(id.begin(), id.end(), avi.begin() + static_cast<std::ptrdiff_t>(i))) {
            std::size_t size = avi[i + 4] | avi[i + 5] << 8 | avi[i + 6] << 16;
            if (size != 0 && i + 8 + size <= avi.size())
                return Bytes(avi.begin() + static_cast<std::ptrdiff_t>(i + 8),
                             avi.begin() + static_cast<std::ptrdiff_t>(i + 8 + size));
        }
    ADD_FAILURE() << "no frame in the corpus video";
    return {};
}

// SOI, a baseline SOF of the given sides and three components, SOS, a byte of data, EOI.
Bytes frameClaiming(unsigned width, unsigned height) {
    Bytes f = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08};
    f.insert(f.end(), {static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(height),
                       static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(width)});
    f.insert(f.end(), {0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01});
    f.insert(f.end(), {0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F,
                       0x00, 0x55, 0xFF, 0xD9});
    return f;
}

std::size_t markerAt(const Bytes& f, std::uint8_t marker) {
    for (std::size_t i = 0; i + 1 < f.size(); ++i)
        if (f[i] == 0xFF && f[i + 1] == marker)
            return i;
    ADD_FAILURE() << "no marker " << int{marker};
    return 0;
}

Bytes cutAt(const Bytes& f, std::size_t n) {
    return Bytes(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(std::min(n, f.size())));
}

TEST(HostileFrames, AreRefusedBeforeAnyDecode) {
    const Bytes sound = corpusFrame();
    ASSERT_FALSE(sound.empty());
    const std::size_t sof = markerAt(sound, 0xC0), sos = markerAt(sound, 0xDA);
    struct Case {
        const char* name;
        Bytes frame;
    };
    Bytes longSegment = sound;
    longSegment[sof + 2] = 0xFF; // SOF's length runs far past the end
    Bytes shortSegment = sound;
    shortSegment[sof + 2] = 0x00;
    shortSegment[sof + 3] = 0x01; // a length that does not even cover itself
    Bytes noComponents = frameClaiming(64, 48);
    noComponents[markerAt(noComponents, 0xC0) + 9] = 0; // SOF of no components
    Bytes arithmetic = frameClaiming(64, 48);
    arithmetic[markerAt(arithmetic, 0xC0) + 1] = 0xC9; // arithmetic coding: not ours to read
    Bytes scanFirst = frameClaiming(64, 48);
    constexpr std::ptrdiff_t kSofSegment = 2 + 0x11;
    scanFirst.erase(scanFirst.begin() + 2, scanFirst.begin() + 2 + kSofSegment);
    Bytes fill = {0xFF, 0xD8};
    fill.resize(1 << 16, 0xFF);
    const Case cases[] = {
        // Not a JPEG at all: an audio chunk, an empty frame.
        {"not a JPEG", Bytes(64, 0x11)},
        {"empty", {}},
        {"SOI alone", {0xFF, 0xD8}},
        // Cut inside the header, inside a segment's length, right after SOS, inside the data.
        {"cut in SOF", cutAt(sound, sof + 5)},
        {"cut in a length", cutAt(sound, sof + 3)},
        {"cut after SOS", cutAt(sound, sos + 14)},
        {"cut in the data", cutAt(sound, sound.size() - 40)},
        {"no EOI", cutAt(sound, sound.size() - 2)},
        // Sizes a decoder would allocate for: gigabytes, nothing, one past the bound.
        {"65535x65535", frameClaiming(65535, 65535)},
        {"8193 wide", frameClaiming(kMostSide + 1, 48)},
        {"zero wide", frameClaiming(0, 48)},
        {"zero high", frameClaiming(64, 0)},
        {"no components", noComponents},
        {"arithmetic coded", arithmetic},
        // Lengths that lie: past the end, shorter than the length field.
        {"segment past the end", longSegment},
        {"segment shorter than its length", shortSegment},
        // Nothing but fill bytes after SOI.
        {"endless fill", fill},
        // SOS before any SOF: nothing says how large the picture is.
        {"scan before frame", scanFirst},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(readJpegLayout(c.frame.data(), c.frame.size()));
        EXPECT_FALSE(makeThumbnail(c.frame.data(), c.frame.size(), 32));
    }
}

// The same video's sound frame gives a picture the size asked for, in proportion, never larger
// than the frame, that the codec reads back at that size.
TEST(HostileFrames, ASoundFrameStillGivesAPicture) {
    const Bytes sound = corpusFrame();
    struct Case {
        unsigned asked, width, height;
    } cases[] = {{32, 32, 24}, {64, 64, 48}, {640, 64, 48}, {10, 10, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        std::optional<Picture> p = makeThumbnail(sound.data(), sound.size(), c.asked);
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

// The recorder's kind of frame, coded with the standard tables it leaves out: without the
// tables put in, the system's codec (WIC under Wine) reads no picture from it.
TEST(HostileFrames, AFrameWithoutTablesGivesAPicture) {
    Bytes frame = test::readAll(std::string(KOVRA_JPEG_CORPUS) + "/no_tables.jpg");
    std::optional<JpegLayout> layout = readJpegLayout(frame.data(), frame.size());
    ASSERT_TRUE(layout);
    EXPECT_FALSE(layout->hasTables);
    std::optional<Picture> p = makeThumbnail(frame.data(), frame.size(), 24);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->width, 24u);
    EXPECT_EQ(p->height, 16u);
    RgbImage again;
    ASSERT_TRUE(decodeJpegScaled(p->bytes.data(), p->bytes.size(), 24, 16, again));
    EXPECT_EQ(again.width, 24u);
}

} // namespace
} // namespace kovra::pictures
