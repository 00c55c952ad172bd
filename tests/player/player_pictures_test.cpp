// The previews the server hands the page are the gallery's own pictures: the strip of each
// recording (one closed, one a power cut ended) byte for byte the files `gallery` writes of it,
// each at its frame's time; a strip made again once its video changes, and the strips kept
// within their bound.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "gallery/gallery_build.h"
#include "gallery/gallery_page.h"
#include "gallery/picture_files.h"
#include "server/player_routes.h"
#include "tests/player/player_card.h"

namespace kovra::player::test {
namespace {

constexpr unsigned kStripPictures = 8; // the gallery's strip

class PlayerPicturesTest : public PlayerCardTest {
  protected:
    nlohmann::json strip(server::PlayerRoutes& routes, const std::string& video) {
        server::Reply reply = routes.pictures(video);
        EXPECT_EQ(reply.status, server::kOk) << reply.body;
        nlohmann::json document = nlohmann::json::parse(reply.body, nullptr, false);
        return document.is_object() ? document.value("pictures", nlohmann::json::array())
                                    : nlohmann::json::array();
    }
};

TEST_F(PlayerPicturesTest, TheStripIsTheGallerysPicturesByteForByte) {
    struct Case {
        const char* fault;
        bool cut;
    };
    const Case cases[] = {
        {"a preview made at other sizes or quality than the gallery's, or of other frames", false},
        {"a recording without an index gives no strip, or pictures of frames past the cut", true},
    };
    gallery::GalleryRequest request;
    request.dest = card_.dir.file("gallery");
    request.title = "card";
    for (const std::string& video : {card_.closed, card_.cut})
        request.videos.push_back({video, std::filesystem::path(video).filename().string(), video});
    ASSERT_TRUE(gallery::buildGallery(systemPlatform(), request).whole());
    server::PlayerRoutes routes(systemPlatform(), card_.folder, {},
                                {card_.dir.file("save"), 0, kDefaultCacheBytes});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::string& video = c.cut ? card_.cut : card_.closed;
        FileInfo info;
        ASSERT_EQ(systemPlatform().info(video.c_str(), info), OsError::None);
        nlohmann::json pictures = strip(routes, video);
        ASSERT_EQ(pictures.size(), kStripPictures);
        std::uint64_t frames = c.cut ? card_.cutFrames : kCardFrames, last = 0;
        for (unsigned k = 0; k < kStripPictures; ++k) {
            std::uint64_t frame = pictures[k].value("frame", frames);
            EXPECT_TRUE(frame < frames && (k == 0 || frame > last)) << "picture " << k;
            last = frame;
            EXPECT_DOUBLE_EQ(pictures[k].value("seconds", -1.0), double(frame) / kCardFps);
            EXPECT_TRUE(pictures[k].contains("clock"));
            std::string name =
                gallery::pictureName(video, info.size, info.modified, std::to_string(k + 1), "jpg");
            Bytes written = kovra::test::readAll(
                (std::filesystem::path(request.dest) / gallery::kPictureFolder / name).string());
            server::Reply picture = routes.picture(video, k);
            EXPECT_EQ(picture.contentType, "image/jpeg");
            EXPECT_TRUE(!written.empty() &&
                        picture.body == std::string(written.begin(), written.end()))
                << "picture " << k << " is not the gallery's";
        }
        EXPECT_EQ(routes.picture(video, kStripPictures).status, server::kNotFound);
    }
}

TEST_F(PlayerPicturesTest, AChangedVideosStripIsMadeAgain) {
    // The closed recording replaced by the cut one under the same name: a strip kept by the
    // name alone would show frames the video no longer has.
    std::string video = (std::filesystem::path(card_.folder) / "MOV0003.avi").string();
    kovra::test::writeAll(video, card_.closedBytes);
    server::PlayerRoutes routes(systemPlatform(), card_.folder, {},
                                {card_.dir.file("save"), 0, kDefaultCacheBytes});
    nlohmann::json before = strip(routes, video);
    kovra::test::writeAll(video, card_.cutBytes);
    nlohmann::json after = strip(routes, video);
    ASSERT_EQ(after.size(), kStripPictures);
    EXPECT_NE(before.back().value("frame", 0), after.back().value("frame", 0));
    EXPECT_LT(after.back().value("frame", card_.cutFrames), card_.cutFrames);
}

TEST_F(PlayerPicturesTest, StripsAreKeptWithinTheirBound) {
    Player measure(systemPlatform(), {card_.dir.file("save"), 0, kDefaultCacheBytes});
    ASSERT_EQ(measure.pictures(card_.closed).failure.refusal, Refusal::None);
    std::size_t oneStrip = measure.pictureCache().bytesHeld();
    ASSERT_GT(oneStrip, 0u);
    // Room for one strip and a half: the second recording's lets the first go.
    std::size_t bound = oneStrip + oneStrip / 2;
    Player player(systemPlatform(), {card_.dir.file("save"), 0, kDefaultCacheBytes, bound});
    for (const std::string& video : {card_.closed, card_.cut, card_.closed})
        ASSERT_EQ(player.pictures(video).failure.refusal, Refusal::None);
    EXPECT_EQ(player.pictureCache().videosHeld(), 1u);
    EXPECT_LE(player.pictureCache().bytesHeld(), bound);
}

} // namespace
} // namespace kovra::player::test
