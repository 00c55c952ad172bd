// readVideoPictures on recordings ffmpeg makes as the recorder does, frames without Huffman
// tables and signed "MARS": the cover matches ffmpeg's own decode of the first frame, the strip
// has its frames, a small part of the file is read, and a frame the index misplaces gives none.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "device/video_pictures.h"
#include "tests/pictures/ffmpeg_frames.h"

namespace kovra::pictures::test {
namespace {

constexpr unsigned kCoverWidth = 320, kCoverHeight = 240, kStripWidth = 160, kStripHeight = 120;
constexpr double kLeastPsnr = 30.0;
// Of a 4-second recording: nine frames of about 18 KB, the headers and the index.
constexpr double kMostShare = 0.2;

class VideoPicturesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        original_ = dir_.file("original.avi");
        if (!runFfmpeg(dir_,
                       {"-f",       "lavfi",     "-i",   "testsrc=size=640x480:rate=15",
                        "-f",       "lavfi",     "-i",   "sine=frequency=440:sample_rate=8000",
                        "-t",       "4",         "-c:v", "mjpeg",
                        "-huffman", "default",   "-q:v", "5",
                        "-c:a",     "pcm_s16le", "-ac",  "1",
                        original_},
                       error))
            GTEST_SKIP() << "ffmpeg could not make the recording (Debian package ffmpeg; make "
                            "test installs it): "
                         << error;
        recording_ = kovra::test::readAll(original_);
        const std::string id = "00dc";
        for (std::size_t i = 0; i + 8 < recording_.size(); ++i)
            if (std::equal(id.begin(), id.end(), recording_.begin() + std::ptrdiff_t(i)) &&
                hideTables(recording_, i + 8))
                ++hidden_;
        std::copy_n("MARS", 4, recording_.begin());
    }

    std::string write(const std::string& name, const Bytes& bytes) {
        std::string path = dir_.file(name);
        kovra::test::writeAll(path, bytes);
        return path;
    }

    kovra::test::ScratchDir dir_;
    std::string original_;
    Bytes recording_;
    std::size_t hidden_ = 0;
};

// The tables missing, a wrong scale or the colours swapped would each cost the cover its
// likeness to what ffmpeg shows of the same frame.
TEST_F(VideoPicturesTest, CoverAndStripOfAClosedRecording) {
    ASSERT_GT(hidden_, 50u);
    VideoPictures p = readVideoPictures(systemPlatform(), write("card.avi", recording_));
    EXPECT_EQ(p.error, OsError::None);
    EXPECT_EQ(p.report.state, avi::VideoState::Ok);
    EXPECT_EQ(p.report.frames, 60u);
    ASSERT_TRUE(p.cover);
    EXPECT_EQ(p.cover->width, kCoverWidth);
    EXPECT_EQ(p.cover->height, kCoverHeight);
    ASSERT_EQ(p.strip.size(), 8u);
    for (const std::optional<Picture>& s : p.strip) {
        ASSERT_TRUE(s);
        EXPECT_EQ(s->width, kStripWidth);
        EXPECT_EQ(s->height, kStripHeight);
    }
    EXPECT_LE(static_cast<double>(p.bytesRead), kMostShare * recording_.size());

    std::string cover = dir_.file("cover.jpg");
    kovra::test::writeAll(cover, p.cover->bytes);
    Bytes ours = ffmpegRgb(dir_, cover, kCoverWidth, kCoverHeight);
    Bytes theirs = ffmpegRgb(dir_, original_, kCoverWidth, kCoverHeight);
    ASSERT_EQ(ours.size(), std::size_t{kCoverWidth} * kCoverHeight * 3);
    double db = psnr(ours, theirs);
    std::printf("cover: %zu bytes, PSNR %.1f dB against ffmpeg; %llu of %zu bytes read\n",
                p.cover->bytes.size(), db, static_cast<unsigned long long>(p.bytesRead),
                recording_.size());
    EXPECT_GT(db, kLeastPsnr);
}

// An index checked only against the file's size may name a wrong size: the chunk header read
// before the frame must catch it, and only that frame gives no picture.
TEST_F(VideoPicturesTest, AFrameTheIndexMisstatesGivesNone) {
    Bytes bytes = recording_;
    const std::string idx1 = "idx1", frameId = "00dc";
    auto entry = std::find_end(bytes.begin(), bytes.end(), idx1.begin(), idx1.end()) + 8;
    // The first strip frame of 60 is frame 3, the middle of the first eighth; its entry's size
    // two bytes short stays inside movi and in order.
    constexpr unsigned kFrame = 3;
    constexpr std::ptrdiff_t kEntry = 16, kSize = 12;
    for (unsigned frames = 0; entry + kEntry <= bytes.end(); entry += kEntry)
        if (std::equal(frameId.begin(), frameId.end(), entry) && frames++ == kFrame) {
            entry[kSize] = static_cast<std::uint8_t>(entry[kSize] - 2);
            break;
        }
    VideoPictures p = readVideoPictures(systemPlatform(), write("misstated.avi", bytes));
    ASSERT_EQ(p.strip.size(), 8u);
    EXPECT_FALSE(p.strip[0]);
    EXPECT_EQ(p.stripRefused.at(0), pictures::NoPicture::FrameMoved);
    EXPECT_TRUE(std::all_of(p.strip.begin() + 1, p.strip.end(), [](const auto& s) { return s; }));
    EXPECT_TRUE(p.cover);
}

} // namespace
} // namespace kovra::pictures::test
