// A real recording made by ffmpeg (MJPEG 640x480 at 15 fps, 8 kHz mono PCM), signed "MARS",
// damaged the ways a power cut does. The complete frames are counted from the clip's own idx1,
// not by the reader; ffprobe must count that many in the repaired file and ffmpeg must decode
// it without a word.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "tests/avi/ffmpeg_clip.h"

namespace kovra::avi::test {
namespace {

struct Clip {
    Bytes bytes; // signed "MARS"
    std::size_t idx1 = 0;
    std::vector<IndexedChunk> chunks;
    std::vector<std::size_t> video; // positions in chunks
};

class AviPowerCut : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new kovra::test::ScratchDir;
        clip_.emplace();
        if (!makeRecorderClip(*dir_, 3, clip_->bytes, error_)) {
            clip_.reset();
            return;
        }
        clip_->idx1 = findFourcc(clip_->bytes, "idx1");
        clip_->chunks = indexedChunks(clip_->bytes);
        for (std::size_t i = 0; i < clip_->chunks.size(); ++i)
            if (clip_->chunks[i].video)
                clip_->video.push_back(i);
    }
    static void TearDownTestSuite() {
        clip_.reset();
        delete dir_;
    }
    void SetUp() override {
        if (!clip_)
            GTEST_SKIP() << "ffmpeg could not make the clip (Debian package ffmpeg; make test "
                            "installs it): "
                         << error_;
    }

    static kovra::test::ScratchDir* dir_;
    static std::optional<Clip> clip_;
    static std::string error_;
};

kovra::test::ScratchDir* AviPowerCut::dir_ = nullptr;
std::optional<Clip> AviPowerCut::clip_;
std::string AviPowerCut::error_;

// Where a damage case cuts and zeroes, in the clip's own terms.
struct Damage {
    std::size_t cut;              // the file's new length
    std::size_t zeroFrom, zeroTo; // a run of zeros, empty when equal
    bool sizesZeroed;             // RIFF, movi, avih total frames and strh lengths
};

struct PowerCutCase {
    const char* name;
    std::function<Damage(const Clip&)> damage;
};

const IndexedChunk& frame(const Clip& c, std::size_t n) {
    return c.chunks[c.video[n]];
}
std::size_t frameEnd(const Clip& c, std::size_t n) {
    return frame(c, n).offset + 8 + frame(c, n).size;
}

const PowerCutCase kPowerCutCases[] = {
    {"cut inside a chunk header",
     [](const Clip& c) {
         return Damage{frame(c, 20).offset + 5, 0, 0, false};
     }},
    {"cut inside a frame",
     [](const Clip& c) {
         return Damage{frame(c, 20).offset + 8 + frame(c, 20).size / 2, 0, 0, false};
     }},
    {"cut on a chunk boundary",
     [](const Clip& c) {
         return Damage{frame(c, 20).offset, 0, 0, false};
     }},
    {"cut right after a frame, before its pad byte",
     [](const Clip& c) {
         std::size_t n = 20;
         while (frame(c, n).size % 2 == 0)
             ++n;
         return Damage{frameEnd(c, n), 0, 0, false};
     }},
    {"cut where idx1 starts",
     [](const Clip& c) {
         return Damage{c.idx1, 0, 0, false};
     }},
    {"cut inside idx1",
     [](const Clip& c) {
         return Damage{c.idx1 + 8 + 16 * 10 + 3, 0, 0, false};
     }},
    {"header sizes and frame counts zeroed",
     [](const Clip& c) {
         return Damage{c.bytes.size(), 0, 0, true};
     }},
    {"header sizes zeroed and cut inside a frame",
     [](const Clip& c) {
         return Damage{frame(c, 30).offset + 1000, 0, 0, true};
     }},
    {"zeros where the last second was, no idx1",
     [](const Clip& c) {
         return Damage{c.idx1, frame(c, c.video.size() - 15).offset + 100, c.idx1, false};
     }},
    {"a zero run with valid chunks after it, no idx1",
     [](const Clip& c) {
         return Damage{c.idx1, frame(c, 10).offset + 300, frame(c, 25).offset + 4, false};
     }},
    // Guards against an index checked at a sample of its entries passing a damaged header:
    // the copy kept the damage, and ffprobe lost frames after it.
    {"one frame's chunk header zeroed, idx1 kept",
     [](const Clip& c) {
         return Damage{c.bytes.size(), frame(c, 17).offset, frame(c, 17).offset + 8, false};
     }},
    {"a zero run with valid chunks after it, idx1 kept",
     [](const Clip& c) {
         return Damage{c.bytes.size(), frame(c, 10).offset + 300, frame(c, 25).offset + 4, false};
     }},
};

Bytes damaged(const Clip& clip, const Damage& d) {
    Bytes b(clip.bytes.begin(), clip.bytes.begin() + d.cut);
    std::fill(b.begin() + std::min(d.zeroFrom, d.cut), b.begin() + std::min(d.zeroTo, d.cut), 0);
    if (d.sizesZeroed) {
        std::size_t avih = findFourcc(b, "avih") + 8;
        std::size_t strh0 = findFourcc(b, "strh"), strh1 = findFourcc(b, "strh", strh0 + 4);
        for (std::size_t at :
             {std::size_t{4}, findFourcc(b, "movi") - 4, avih + 16, strh0 + 8 + 32, strh1 + 8 + 32})
            putLe32(b, at, 0);
    }
    return b;
}

// Frames whose chunk lies wholly before the cut and outside the zeros.
std::uint64_t completeFrames(const Clip& clip, const Damage& d) {
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < clip.video.size(); ++i) {
        std::size_t from = frame(clip, i).offset, to = frameEnd(clip, i);
        bool zeroed = d.zeroFrom < d.zeroTo && from < d.zeroTo && to > d.zeroFrom;
        n += to <= d.cut && !zeroed;
    }
    return n;
}

void PrintTo(const PowerCutCase& c, std::ostream* os) {
    *os << c.name;
}

class AviPowerCutCase : public AviPowerCut, public ::testing::WithParamInterface<PowerCutCase> {};

TEST_P(AviPowerCutCase, RepairKeepsEveryCompleteFrame) {
    const Damage d = GetParam().damage(*clip_);
    Bytes input = damaged(*clip_, d);
    std::uint64_t expected = completeFrames(*clip_, d);
    ASSERT_GT(expected, 0u);

    VideoReport report = inspectBytes(input);
    EXPECT_EQ(report.state, VideoState::Repairable);
    EXPECT_EQ(report.frames, expected);
    Repaired repaired = repairBytes(input);
    ASSERT_TRUE(repaired.outcome.written);
    EXPECT_EQ(repaired.bytes.size(), report.repairedSize);
    EXPECT_EQ(repaired.outcome.frames, expected);
    Repaired again = repairBytes(repaired.bytes);
    EXPECT_EQ(again.report.state, VideoState::Ok);
    EXPECT_TRUE(again.bytes == repaired.bytes) << "repairing the repaired file changed it";

    Judged judged = judgeWithFfmpeg(*dir_, repaired.bytes);
    EXPECT_EQ(judged.frames, static_cast<long>(expected)) << judged.decodeErrors;
    EXPECT_EQ(judged.decodeErrors, "") << "ffmpeg found errors decoding the repaired file";
}

// Cuts around and inside every chunk (its header, its first payload byte, its middle, its
// last byte): the reader counts exactly the frames before the cut, and the repair writes the
// promised size and reads back as sound. Guards against an off-by-one at any chunk edge.
TEST_F(AviPowerCut, EveryCutKeepsTheFramesBeforeIt) {
    for (const IndexedChunk& chunk : clip_->chunks)
        for (std::size_t into : {std::size_t{0}, std::size_t{3}, std::size_t{8}, 8 + chunk.size / 2,
                                 8 + chunk.size - 1}) {
            Damage d{chunk.offset + into, 0, 0, false};
            Bytes input = damaged(*clip_, d);
            VideoReport report = inspectBytes(input);
            ASSERT_EQ(report.frames, completeFrames(*clip_, d)) << "cut at " << d.cut;
            if (report.frames == 0)
                continue;
            Repaired repaired = repairBytes(input);
            ASSERT_EQ(repaired.bytes.size(), report.repairedSize) << "cut at " << d.cut;
            ASSERT_EQ(inspectBytes(repaired.bytes).state, VideoState::Ok) << "cut at " << d.cut;
        }
}

INSTANTIATE_TEST_SUITE_P(Damage, AviPowerCutCase, ::testing::ValuesIn(kPowerCutCases),
                         [](const ::testing::TestParamInfo<PowerCutCase>& param) {
                             return caseName(param.param.name);
                         });

} // namespace
} // namespace kovra::avi::test
