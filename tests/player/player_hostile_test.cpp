// The player over the fuzzer's hostile and damaged videos (lying sizes, indexes pointing
// outside, cuts in every part, a frame a century): every answer is a value, a frame handed out
// is a JPEG checked from its header, a WAV's sizes hold, a preview is a picture or a reason, and
// nothing is read past an end.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "avi/riff.h"
#include "pictures/jpeg_frame.h"
#include "player/player.h"
#include "player/sound.h"
#include "tests/support/scratch_dir.h"

namespace kovra::player {
namespace {

constexpr std::uint64_t kFramesAsked[] = {0, 1, 2, 7, std::numeric_limits<std::uint64_t>::max()};
constexpr std::uint64_t kPicturesAsked[] = {0, 7, 8, 99};
constexpr double kSpansAsked[][2] = {{0, 0.1}, {0, 1e9}, {0.05, 0.06}, {1e8, 1e9}};

TEST(PlayerHostileTest, EveryAnswerIsAValue) {
    test::ScratchDir save;
    std::size_t videos = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KOVRA_AVI_CORPUS)) {
        if (entry.path().extension() != ".avi")
            continue;
        ++videos;
        std::string video = entry.path().string();
        SCOPED_TRACE(video);
        Player player(systemPlatform(), {save.path().string(), 0, kDefaultCacheBytes});
        for (std::uint64_t n : kFramesAsked) {
            FrameAnswer frame = player.frame(video, n);
            if (frame.failure.refusal != Refusal::None) {
                EXPECT_FALSE(frame.failure.text.empty());
                EXPECT_TRUE(frame.jpeg.empty());
                continue;
            }
            EXPECT_LT(n, frame.frames);
            EXPECT_TRUE(pictures::readJpegLayout(frame.jpeg.data(), frame.jpeg.size()).layout)
                << "frame " << n << " handed out unchecked";
        }
        for (const auto& span : kSpansAsked) {
            SoundAnswer sound = player.sound(video, span[0], span[1]);
            if (sound.failure.refusal != Refusal::None) {
                EXPECT_FALSE(sound.failure.text.empty());
                continue;
            }
            ASSERT_GE(sound.wav.size(), kWavHeaderSize);
            EXPECT_EQ(avi::le32(sound.wav.data() + 40), sound.wav.size() - kWavHeaderSize);
        }
        // The previews: a strip of the gallery's size at most, each picture one the codec
        // made or a reason, and a picture asked for past it refused in words.
        PicturesAnswer strip = player.pictures(video);
        EXPECT_LE(strip.pictures.size(), 8u);
        for (const StripPicture& shown : strip.pictures)
            EXPECT_NE(shown.picture.has_value(), shown.refused != pictures::NoPicture::None);
        for (std::uint64_t k : kPicturesAsked) {
            PictureAnswer picture = player.picture(video, k);
            if (picture.failure.refusal != Refusal::None)
                EXPECT_FALSE(picture.failure.text.empty()) << "picture " << k;
            else
                EXPECT_LT(k, strip.pictures.size()) << "picture " << k << " past the strip";
        }
    }
    EXPECT_GT(videos, 15u);
}

} // namespace
} // namespace kovra::player
