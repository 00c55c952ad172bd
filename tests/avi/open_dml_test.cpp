// Joins past one RIFF's size, judged by ffmpeg: every frame read through the super index, and
// the first RIFF alone read as a file by a reader that knows only idx1. The join past 1 GiB
// is made of recordings that exist only as they are read, into a sparse file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>

#include "tests/avi/ffmpeg_clip.h"
#include "tests/support/process.h"

namespace kovra::avi::test {
namespace {

using kovra::test::readText;
using kovra::test::runProgram;
using kovra::test::ScratchDir;

constexpr std::int64_t kEndOfTime = std::numeric_limits<std::int64_t>::max();

// ffprobe's count of a stream's packets (its frames, decoded, with decode); -1 when it fails.
// idx1Only: read as a reader that knows no OpenDML index.
long count(const ScratchDir& dir, const std::string& input, const char* stream, bool decode,
           bool idx1Only) {
    std::string out = dir.file("probe.txt");
    if (runProgram({"ffprobe", "-v", "error", "-use_odml", idx1Only ? "0" : "1",
                    decode ? "-count_frames" : "-count_packets", "-select_streams", stream,
                    "-show_entries", decode ? "stream=nb_read_frames" : "stream=nb_read_packets",
                    "-of", "csv=p=0", input},
                   out) != 0)
        return -1;
    return std::strtol(readText(out).c_str(), nullptr, 10);
}

// What ffmpeg says decoding the file as a reader that knows only idx1: nothing when clean.
std::string decodeErrors(const ScratchDir& dir, const std::string& input) {
    std::string out = dir.file("decode.txt");
    runProgram(
        {"ffmpeg", "-v", "error", "-nostdin", "-use_odml", "0", "-i", input, "-f", "null", "-"},
        out);
    return readText(out);
}

// The first RIFF of a file, given its size, as a file of its own (ffmpeg's subfile protocol).
std::string firstRiff(const std::string& path, const Bytes& head) {
    return "subfile,,start,0,end," + std::to_string(8 + std::uint64_t{getLe32(head, 4)}) +
           ",,:" + path;
}

class AviOpenDml : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!kovra::test::onPath("ffmpeg") || !kovra::test::onPath("ffprobe"))
            GTEST_SKIP() << "ffmpeg and ffprobe are not on PATH (Debian package ffmpeg; make "
                            "test installs it)";
    }
    ScratchDir dir_;
};

// Each stream's super index followed to its standard indexes, and each of their entries to the
// chunk it names (the outputs here are under 4 GiB): the chunks so found per stream.
std::vector<std::uint64_t> followSuperIndexes(const Bytes& out) {
    std::vector<std::uint64_t> found;
    const std::size_t movi = findFourcc(out, "movi");
    for (std::size_t indx = findFourcc(out, "indx"); indx < movi;
         indx = std::search(out.begin() + indx + 4, out.begin() + movi, "indx", "indx" + 4) -
                out.begin()) {
        std::uint32_t id = getLe32(out, indx + 16);
        EXPECT_EQ(getLe32(out, indx + 8), 4u) << "4 longs an entry, an index of indexes";
        found.push_back(0);
        for (std::uint32_t k = 0; k < getLe32(out, indx + 12); ++k) {
            std::size_t ix = getLe32(out, indx + 32 + 16 * k), base = getLe32(out, ix + 20);
            EXPECT_EQ(getLe32(out, indx + 40 + 16 * k), 8 + getLe32(out, ix + 4));
            EXPECT_EQ(getLe32(out, ix + 8), 0x01000002u) << "2 longs an entry, an index of chunks";
            EXPECT_EQ(getLe32(out, ix + 16), id);
            for (std::size_t i = 0; i < getLe32(out, ix + 12); ++i, ++found.back()) {
                std::size_t payload = base + getLe32(out, ix + 32 + 8 * i);
                EXPECT_EQ(getLe32(out, payload - 8), id) << "entry " << i << ", part " << k;
                EXPECT_EQ(getLe32(out, payload - 4), getLe32(out, ix + 36 + 8 * i) & 0x7FFFFFFF);
            }
        }
    }
    return found;
}

// Guards against super or standard indexes that name the wrong place, RIFFs past their size, a
// first RIFF that does not play alone, and counts that leave a frame out: ten recordings of 4
// frames and 3 sound chunks joined into parts of at most 30000 bytes.
TEST_F(AviOpenDml, SuperIndexesNameEveryChunkAndTheFirstRiffPlaysAlone) {
    Bytes clip = corpusVideo("sound_riff");
    MemorySource source(clip);
    VideoReading reading = readVideo(source, Chunks::Keep);
    constexpr std::size_t kJoined = 10;
    Plan plan;
    plan.singleRiffUpTo = 30000;
    for (std::size_t i = 0; i < kJoined; ++i)
        plan.ranges.push_back({i, 0, reading.chunks.size(), {}});
    MemoryOutput output(std::vector<ByteSource*>(kJoined, &source));
    WriteOutcome outcome =
        writePlan(plan, std::vector<const VideoReading*>(kJoined, &reading), output);
    ASSERT_TRUE(outcome.written && outcome.openDml);
    EXPECT_EQ(outcome.frames, 40u);
    EXPECT_GE(outcome.riffParts, 3u);
    const Bytes& out = output.bytes();
    EXPECT_EQ(followSuperIndexes(out), (std::vector<std::uint64_t>{40, 30}));
    EXPECT_EQ(getLe32(out, findFourcc(out, "dmlh") + 8), 40u);
    for (std::size_t riff = 0; riff < out.size(); riff += 8 + getLe32(out, riff + 4))
        EXPECT_LE(8 + getLe32(out, riff + 4), plan.singleRiffUpTo) << "RIFF at " << riff;

    std::string path = dir_.file("joined.avi");
    kovra::test::writeAll(path, out);
    EXPECT_EQ(count(dir_, path, "v:0", true, false), 40);
    EXPECT_EQ(count(dir_, path, "a:0", false, false), 30);
    EXPECT_EQ(count(dir_, firstRiff(path, out), "v:0", true, true),
              getLe32(out, findFourcc(out, "avih") + 8 + 16));
    EXPECT_EQ(decodeErrors(dir_, firstRiff(path, out)), "");
}

// A recording of the corpus clip's first frame run on with zeros to 2 MiB and 1024 samples of
// sound, again and again, at 7.8125 frames a second so that sound and frames keep time.
MadeUpSource longRecording(std::uint32_t frames) {
    constexpr std::uint32_t kFrameSize = 2 << 20;
    Bytes clip = corpusVideo("sound_riff");
    std::vector<IndexedChunk> chunks = indexedChunks(clip);
    auto at = [&](std::size_t offset) {
        return clip.begin() + static_cast<std::ptrdiff_t>(offset);
    };
    Bytes head(clip.begin(), at(findFourcc(clip, "movi") + 4));
    Bytes jpeg(at(chunks[0].offset + 8), at(chunks[0].offset + 8 + chunks[0].size));
    Bytes sound(at(chunks[1].offset), at(chunks[1].offset + 8 + chunks[1].size));
    putLe32(head, head.size() - 8, 4 + frames * (8 + kFrameSize + sound.size()));
    putLe32(head, findFourcc(head, "strh") + 8 + 20, 128);
    putLe32(head, findFourcc(head, "strh") + 8 + 24, 1000);
    MadeUpSource source;
    source.append(head);
    for (std::uint32_t i = 0; i < frames; ++i) {
        source.append(MadeUpSource::header("00dc", kFrameSize));
        source.append(jpeg);
        source.skip(kFrameSize - jpeg.size());
        source.append(sound);
    }
    return source;
}

// Writes into a file, leaving holes where whole blocks appended are zeros.
class SparseFileOutput final : public OutputSink {
  public:
    SparseFileOutput(const std::string& path, std::vector<ByteSource*> sources)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)),
          sources_(std::move(sources)) {}
    ~SparseFileOutput() override { ::close(fd_); }
    bool append(const void* data, std::size_t n) override {
        static const Bytes zeros(kBlock);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < n; i += kBlock) {
            std::size_t part = std::min(kBlock, n - i);
            if (std::memcmp(bytes + i, zeros.data(), part) != 0 &&
                !overwrite(size_ + i, bytes + i, part))
                return false;
        }
        size_ += n;
        return true;
    }
    bool appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) override {
        Bytes block(kBlock);
        for (std::uint64_t done = 0; done < n; done += kBlock) {
            std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, n - done));
            if (!sources_[source]->readAt(offset + done, block.data(), part) ||
                !append(block.data(), part))
                return false;
        }
        return true;
    }
    bool overwrite(std::uint64_t offset, const void* data, std::size_t n) override {
        return ::pwrite(fd_, data, n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
    }
    bool finish() { return ::ftruncate(fd_, static_cast<off_t>(size_)) == 0; }

  private:
    static constexpr std::size_t kBlock = 1 << 16;
    int fd_;
    std::vector<ByteSource*> sources_;
    std::uint64_t size_ = 0;
};

// Guards against a join past 1 GiB written as one RIFF that no reader takes past it, or as
// parts whose indexes lose frames: two recordings of 300 frames, 1.26 GB joined.
TEST_F(AviOpenDml, JoinPastOneGigabyteIsReadWhole) {
    constexpr std::uint32_t kFrames = 300;
    MadeUpSource a = longRecording(kFrames), b = longRecording(kFrames);
    VideoReading readingA = readVideo(a, Chunks::Keep), readingB = readVideo(b, Chunks::Keep);
    ASSERT_EQ(readingA.report.frames, kFrames);
    SpanPlan join = planSpans({&readingA, &readingB}, {{0, 0, kEndOfTime}, {1, 0, kEndOfTime}});
    ASSERT_EQ(join.refusal, PlanRefusal::None);

    std::string path = dir_.file("joined.avi");
    SparseFileOutput sink(path, {&a, &b});
    WriteOutcome outcome = writePlan(join.plan, {&readingA, &readingB}, sink);
    ASSERT_TRUE(outcome.written && sink.finish());
    EXPECT_GT(outcome.size, std::uint64_t{1} << 30);
    EXPECT_EQ(outcome.riffParts, 2u);
    EXPECT_EQ(count(dir_, path, "v:0", false, false), 2 * kFrames);
    EXPECT_EQ(count(dir_, path, "a:0", false, false), 2 * kFrames);

    Bytes head(64);
    std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(head.data()), 64);
    EXPECT_LE(8 + getLe32(head, 4), std::uint64_t{1} << 30);
    long firstFrames = count(dir_, firstRiff(path, head), "v:0", true, true);
    EXPECT_EQ(firstFrames, getLe32(head, findFourcc(head, "avih") + 8 + 16));
    EXPECT_GT(firstFrames, 0);
    EXPECT_EQ(decodeErrors(dir_, firstRiff(path, head)), "");
}

} // namespace
} // namespace kovra::avi::test
