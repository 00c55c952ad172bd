// readVideoPictures through the system's own platform and codec, natively and under Wine
// (Win32 reads, WIC), on the fuzzer's seed recordings: 64x48 MJPEG of 4 frames.
#include <gtest/gtest.h>

#include <string>

#include "device/video_pictures.h"

namespace kovra {
namespace {

TEST(VideoPicturesOfSeeds, GiveEveryFrameTheirPicture) {
    const struct {
        const char* name;
        avi::VideoState state;
        std::size_t strip; // one a frame: fewer frames than asked for
    } cases[] = {
        // The recorder's kind, closed: "MARS", an index trusted by its bounds.
        {"sound_mars", avi::VideoState::Ok, 4},
        // A power cut inside a frame: the chunk headers walked to the cut.
        {"cut_in_frame", avi::VideoState::Repairable, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = std::string(KOVRA_AVI_CORPUS) + "/" + c.name + ".avi";
        VideoPictures p = readVideoPictures(systemPlatform(), path);
        EXPECT_EQ(p.error, OsError::None);
        EXPECT_EQ(p.report.state, c.state);
        ASSERT_TRUE(p.cover);
        // Never larger than the frame, however wide the cover asked.
        EXPECT_EQ(p.cover->width, 64u);
        EXPECT_EQ(p.cover->height, 48u);
        ASSERT_EQ(p.strip.size(), c.strip);
        for (const std::optional<Picture>& s : p.strip)
            EXPECT_TRUE(s && s->width == 64u && !s->bytes.empty());
        EXPECT_GT(p.bytesRead, 0u);
    }
}

} // namespace
} // namespace kovra
