// The standard Huffman tables go into a frame that has none byte for byte as ffmpeg's
// mjpeg2jpeg filter writes them, right before the scan; a frame with tables of its own is left
// as it is.
#include <gtest/gtest.h>

#include "pictures/jpeg_frame.h"
#include "pictures/standard_tables.h"
#include "tests/pictures/ffmpeg_frames.h"

namespace kovra::pictures::test {
namespace {

constexpr std::uint8_t kMarker = 0xFF, kHuffmanTables = 0xC4, kScanStart = 0xDA;

std::size_t find(const Bytes& bytes, std::uint8_t marker) {
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == kMarker && bytes[i + 1] == marker)
            return i;
    return bytes.size();
}

class StandardTables : public ::testing::Test {
  protected:
    void SetUp() override {
        // A 64x48 frame coded with the standard tables, alone and in an AVI.
        std::string avi = dir_.file("tiny.avi"), jpeg = dir_.file("frame.jpg"), error;
        std::vector<std::string> source = {"-f",        "lavfi",  "-i",   "testsrc=size=64x48",
                                           "-frames:v", "1",      "-c:v", "mjpeg",
                                           "-huffman",  "default"};
        std::vector<std::string> toAvi = source, toJpeg = source;
        toAvi.push_back(avi);
        toJpeg.insert(toJpeg.end(), {"-f", "mjpeg", jpeg});
        std::vector<std::string> filtered = {
            "-i", avi, "-c:v", "copy", "-bsf:v", "mjpeg2jpeg", "-f", "mjpeg", dir_.file("out.jpg")};
        if (!runFfmpeg(dir_, toAvi, error) || !runFfmpeg(dir_, toJpeg, error) ||
            !runFfmpeg(dir_, filtered, error))
            GTEST_SKIP() << "ffmpeg could not make the frames (Debian package ffmpeg; make test "
                            "installs it): "
                         << error;
        frame_ = kovra::test::readAll(jpeg);
        Bytes out = kovra::test::readAll(dir_.file("out.jpg"));
        std::size_t dht = find(out, kHuffmanTables);
        ASSERT_LT(dht + 4, out.size());
        std::size_t length = std::size_t{out[dht + 2]} << 8 | out[dht + 3];
        ASSERT_LE(dht + 2 + length, out.size());
        ffmpegTables_.assign(out.begin() + static_cast<std::ptrdiff_t>(dht),
                             out.begin() + static_cast<std::ptrdiff_t>(dht + 2 + length));
    }

    kovra::test::ScratchDir dir_;
    Bytes frame_, ffmpegTables_;
};

// A table value or count mistyped would decode every recorder frame into noise.
TEST_F(StandardTables, AreTheBytesFfmpegInserts) {
    Bytes ours(standardTablesSegment(), standardTablesSegment() + standardTablesSegmentSize());
    EXPECT_EQ(ours, ffmpegTables_);
    // One segment of four tables: 2 + 2 + 4 * 17 + 12 + 12 + 162 + 162 bytes.
    EXPECT_EQ(ours.size(), 420u);
}

// Tables put anywhere but before the scan, or a byte of the frame lost, breaks the picture.
TEST_F(StandardTables, GoRightBeforeTheScanOfAFrameWithout) {
    Bytes hidden = frame_;
    ASSERT_TRUE(hideTables(hidden, 0));
    std::optional<JpegLayout> layout = readJpegLayout(hidden.data(), hidden.size()).layout;
    ASSERT_TRUE(layout);
    EXPECT_FALSE(layout->hasTables);
    EXPECT_EQ(layout->width, 64u);
    EXPECT_EQ(layout->height, 48u);
    std::size_t sos = find(hidden, kScanStart);
    Bytes expected(hidden.begin(), hidden.begin() + static_cast<std::ptrdiff_t>(sos));
    expected.insert(expected.end(), ffmpegTables_.begin(), ffmpegTables_.end());
    expected.insert(expected.end(), hidden.begin() + static_cast<std::ptrdiff_t>(sos),
                    hidden.end());
    addHuffmanTables(hidden, *layout);
    EXPECT_EQ(hidden, expected);
}

// A frame's own tables must win: a second set would replace them.
TEST_F(StandardTables, LeaveAFrameWithTablesAsItIs) {
    std::optional<JpegLayout> layout = readJpegLayout(frame_.data(), frame_.size()).layout;
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->hasTables);
    Bytes completed = frame_;
    addHuffmanTables(completed, *layout);
    EXPECT_EQ(completed, frame_);
}

} // namespace
} // namespace kovra::pictures::test
