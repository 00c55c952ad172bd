// Joins past one RIFF's size, judged by ffmpeg: every frame read through the super index, and
// the first RIFF alone read as a file by a reader that knows only idx1. The join past 1 GiB
// is made of recordings that exist only as they are read, into a sparse file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "tests/avi/ffmpeg_clip.h"
#include "tests/support/process.h"

namespace kovra::avi::test {
namespace {

using kovra::test::readText;
using kovra::test::runProgram;
using kovra::test::ScratchDir;

constexpr std::int64_t kEndOfTime = std::numeric_limits<std::int64_t>::max();

// What ffprobe reads of a file's first video and sound streams: -count_frames decodes, while
// packets are only read. decodeErrors: what decoding the whole file says (nothing when clean).
struct Probed {
    long video = -1, sound = -1;
    std::string decodeErrors;
};

Probed probe(const ScratchDir& dir, const std::string& input, bool decode, bool idx1Only) {
    std::string out = dir.file("probe.txt");
    std::string count = decode ? "-count_frames" : "-count_packets";
    std::string field = decode ? "stream=nb_read_frames" : "stream=nb_read_packets";
    std::string odml = idx1Only ? "0" : "1";
    Probed p;
    for (auto [stream, into] : {std::pair{"v:0", &p.video}, std::pair{"a:0", &p.sound}})
        if (runProgram({"ffprobe", "-v", "error", "-use_odml", odml, count, "-select_streams",
                        stream, "-show_entries", field, "-of", "csv=p=0", input},
                       out) == 0)
            *into = std::strtol(readText(out).c_str(), nullptr, 10);
    if (decode) {
        runProgram({"ffmpeg", "-v", "error", "-nostdin", "-use_odml", odml, "-i", input, "-f",
                    "null", "-"},
                   out);
        p.decodeErrors = readText(out);
    }
    return p;
}

// The first n bytes of a file, as ffmpeg's subfile protocol gives them: a file of its own.
std::string firstBytes(const std::string& path, std::uint64_t n) {
    return "subfile,,start,0,end," + std::to_string(n) + ",,:" + path;
}

bool haveFfmpeg(std::string& why) {
    why = "ffmpeg and ffprobe are not on PATH (Debian package ffmpeg; make test installs it)";
    return kovra::test::onPath("ffmpeg") && kovra::test::onPath("ffprobe");
}

// Every stream's super index in the output, followed to its standard indexes, and each of
// their entries to the chunk it names: the count of chunks so found per stream.
std::vector<std::uint64_t> followSuperIndexes(const Bytes& out) {
    std::vector<std::uint64_t> found;
    const char indxId[] = "indx";
    auto next = [&](std::size_t from) {
        auto end = out.begin() + static_cast<std::ptrdiff_t>(findFourcc(out, "movi"));
        return static_cast<std::size_t>(
            std::search(out.begin() + static_cast<std::ptrdiff_t>(from), end, indxId, indxId + 4) -
            out.begin());
    };
    for (std::size_t indx = next(0); indx < findFourcc(out, "movi"); indx = next(indx + 4)) {
        std::uint32_t id = getLe32(out, indx + 16), parts = getLe32(out, indx + 12);
        EXPECT_EQ(out[indx + 8], 4);  // longs per entry
        EXPECT_EQ(out[indx + 11], 0); // an index of indexes
        std::uint64_t chunks = 0;
        for (std::uint32_t k = 0; k < parts; ++k) {
            std::size_t e = indx + 32 + 16 * k;
            std::size_t ix = getLe32(out, e); // these outputs are under 4 GiB
            EXPECT_EQ(getLe32(out, e + 8), 8 + getLe32(out, ix + 4)) << "ix size, part " << k;
            EXPECT_EQ(out[ix + 11], 1); // an index of chunks
            EXPECT_EQ(getLe32(out, ix + 16), id);
            std::size_t base = getLe32(out, ix + 20), entries = getLe32(out, ix + 12);
            for (std::size_t i = 0; i < entries; ++i) {
                std::size_t payload = base + getLe32(out, ix + 32 + 8 * i);
                std::uint32_t size = getLe32(out, ix + 36 + 8 * i) & 0x7FFFFFFF;
                EXPECT_EQ(getLe32(out, payload - 8), id) << "entry " << i << ", part " << k;
                EXPECT_EQ(getLe32(out, payload - 4), size) << "entry " << i << ", part " << k;
            }
            chunks += entries;
        }
        found.push_back(chunks);
    }
    return found;
}

// Guards against super or standard indexes that name the wrong place, a first RIFF that does
// not play alone, and counts that leave a frame out: ten recordings joined into parts of at
// most 30000 bytes.
TEST(AviOpenDml, SuperIndexesNameEveryChunkAndTheFirstRiffPlaysAlone) {
    std::string why;
    if (!haveFfmpeg(why))
        GTEST_SKIP() << why;
    Bytes clip = corpusVideo("sound_riff");
    MemorySource source(clip);
    VideoReading reading = readVideo(source, true);
    constexpr std::size_t kJoined = 10;
    Plan plan;
    plan.singleRiffUpTo = 30000;
    std::vector<const VideoReading*> readings(kJoined, &reading);
    for (std::size_t i = 0; i < kJoined; ++i)
        plan.ranges.push_back({i, 0, reading.chunks.size(), {}});
    MemoryOutput output(std::vector<ByteSource*>(kJoined, &source));
    WriteOutcome outcome = writePlan(plan, readings, output);
    ASSERT_TRUE(outcome.written);
    EXPECT_EQ(outcome.frames, 40u);
    EXPECT_TRUE(outcome.openDml);
    EXPECT_GE(outcome.riffParts, 3u);
    const Bytes& out = output.bytes();
    EXPECT_EQ(followSuperIndexes(out), (std::vector<std::uint64_t>{40, 30}));
    for (std::size_t riff = 0; riff < out.size(); riff += 8 + getLe32(out, riff + 4))
        EXPECT_LE(8 + getLe32(out, riff + 4), plan.singleRiffUpTo) << "RIFF at " << riff;

    ScratchDir dir;
    std::string path = dir.file("joined.avi");
    kovra::test::writeAll(path, out);
    Probed whole = probe(dir, path, true, false);
    EXPECT_EQ(whole.video, 40);
    EXPECT_EQ(whole.sound, 30);
    EXPECT_EQ(whole.decodeErrors, "");
    std::uint32_t firstFrames = getLe32(out, findFourcc(out, "avih") + 8 + 16);
    Probed first = probe(dir, firstBytes(path, 8 + getLe32(out, 4)), true, true);
    EXPECT_EQ(first.video, static_cast<long>(firstFrames));
    EXPECT_EQ(first.decodeErrors, "");
    EXPECT_EQ(getLe32(out, findFourcc(out, "dmlh") + 8), 40u);
}

// A recording of the corpus clip's first frame run on with zeros to 2 MiB, then its sound of
// 1024 samples, over and over at 7.8125 frames a second, so that sound and frames keep time:
// gigabytes that exist only as they are read.
class RepeatedRecording final : public ByteSource {
  public:
    static constexpr std::uint32_t kFrameSize = 2 << 20;

    explicit RepeatedRecording(std::uint64_t repeats) : repeats_(repeats) {
        Bytes clip = corpusVideo("sound_riff");
        std::vector<IndexedChunk> chunks = indexedChunks(clip);
        std::size_t movi = findFourcc(clip, "movi");
        head_.assign(clip.begin(), clip.begin() + static_cast<std::ptrdiff_t>(movi + 4));
        putLe32(head_, movi - 4, static_cast<std::uint32_t>(4 + repeats * patternSize()));
        std::size_t strh = findFourcc(head_, "strh") + 8;
        putLe32(head_, strh + 20, 128);
        putLe32(head_, strh + 24, 1000);
        pattern_ = {'0', '0', 'd', 'c', 0, 0, 0, 0};
        putLe32(pattern_, 4, kFrameSize);
        auto at = [&](std::size_t chunk) { return clip.begin() + chunks[chunk].offset; };
        pattern_.insert(pattern_.end(), at(0) + 8, at(0) + 8 + chunks[0].size);
        frameTail_ = pattern_.size();
        pattern_.insert(pattern_.end(), at(1), at(1) + 8 + chunks[1].size);
    }
    std::uint64_t size() const override { return head_.size() + repeats_ * patternSize(); }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override {
        if (offset > size() || n > size() - offset)
            return false;
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::size_t done = 0; done < n;)
            done += run(offset + done, out + done, n - done);
        return true;
    }

  private:
    std::uint64_t zeros() const { return 8 + kFrameSize - frameTail_; }
    std::uint64_t patternSize() const { return pattern_.size() + zeros(); }
    // Copies what lies at `at` up to where it changes (the head, the frame's bytes, its zeros,
    // the sound), at most n bytes; how many.
    std::size_t run(std::uint64_t at, std::uint8_t* out, std::size_t n) const {
        auto copy = [&](const Bytes& from, std::uint64_t i, std::uint64_t end) {
            std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(n, end - i));
            std::memcpy(out, from.data() + i, k);
            return k;
        };
        if (at < head_.size())
            return copy(head_, at, head_.size());
        std::uint64_t in = (at - head_.size()) % patternSize();
        if (in < frameTail_)
            return copy(pattern_, in, frameTail_);
        if (in >= frameTail_ + zeros())
            return copy(pattern_, in - zeros(), pattern_.size());
        std::size_t k =
            static_cast<std::size_t>(std::min<std::uint64_t>(n, frameTail_ + zeros() - in));
        std::memset(out, 0, k);
        return k;
    }

    std::uint64_t repeats_;
    Bytes head_, pattern_;
    std::size_t frameTail_ = 0; // where the frame's zeros begin in the pattern
};

// Writes into a file, leaving holes where whole blocks are zeros.
class SparseFileOutput final : public OutputSink {
  public:
    SparseFileOutput(const std::string& path, std::vector<ByteSource*> sources)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)),
          sources_(std::move(sources)), buffer_(kBlock) {}
    ~SparseFileOutput() override { ::close(fd_); }
    bool append(const void* data, std::size_t n) override {
        bool ok = writeAt(size_, static_cast<const std::uint8_t*>(data), n);
        size_ += n;
        return ok;
    }
    bool appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) override {
        for (std::uint64_t done = 0; done < n;) {
            std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, n - done));
            if (!sources_[source]->readAt(offset + done, buffer_.data(), part) ||
                !append(buffer_.data(), part))
                return false;
            done += part;
        }
        return true;
    }
    bool overwrite(std::uint64_t offset, const void* data, std::size_t n) override {
        return ::pwrite(fd_, data, n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
    }
    bool finish() { return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(size_)) == 0; }

  private:
    static constexpr std::size_t kBlock = 1 << 16;
    bool writeAt(std::uint64_t at, const std::uint8_t* data, std::size_t n) {
        for (std::size_t i = 0; i < n; i += kBlock) {
            std::size_t part = std::min(kBlock, n - i);
            static const std::vector<std::uint8_t> zeros(kBlock);
            if (std::memcmp(data + i, zeros.data(), part) != 0 &&
                ::pwrite(fd_, data + i, part, static_cast<off_t>(at + i)) !=
                    static_cast<ssize_t>(part))
                return false;
        }
        return true;
    }

    int fd_;
    std::vector<ByteSource*> sources_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t size_ = 0;
};

// Guards against a join past 1 GiB written as one RIFF that no reader takes past it, or as
// parts whose indexes lose frames: two recordings of 300 frames, 1.2 GB joined.
TEST(AviOpenDml, JoinPastOneGigabyteIsReadWhole) {
    std::string why;
    if (!haveFfmpeg(why))
        GTEST_SKIP() << why;
    constexpr std::uint64_t kFrames = 300;
    RepeatedRecording a(kFrames), b(kFrames);
    VideoReading readingA = readVideo(a, true), readingB = readVideo(b, true);
    ASSERT_EQ(readingA.report.frames, kFrames);
    SpanPlan join = planSpans({&readingA, &readingB}, {{0, 0, kEndOfTime}, {1, 0, kEndOfTime}});
    ASSERT_EQ(join.refusal, PlanRefusal::None);

    ScratchDir dir;
    std::string path = dir.file("joined.avi");
    SparseFileOutput sink(path, {&a, &b});
    WriteOutcome outcome = writePlan(join.plan, {&readingA, &readingB}, sink);
    ASSERT_TRUE(outcome.written && sink.finish());
    EXPECT_GT(outcome.size, std::uint64_t{1} << 30);
    EXPECT_EQ(outcome.riffParts, 2u);
    Probed whole = probe(dir, path, false, false);
    EXPECT_EQ(whole.video, static_cast<long>(2 * kFrames));
    EXPECT_EQ(whole.sound, static_cast<long>(2 * kFrames));

    Bytes head(64);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(f && std::fread(head.data(), 1, head.size(), f) == head.size());
    std::fclose(f);
    std::uint64_t firstRiff = 8 + std::uint64_t{getLe32(head, 4)};
    EXPECT_LE(firstRiff, std::uint64_t{1} << 30);
    Probed first = probe(dir, firstBytes(path, firstRiff), true, true);
    EXPECT_EQ(first.video, static_cast<long>(getLe32(head, findFourcc(head, "avih") + 8 + 16)));
    EXPECT_GT(first.video, 0);
    EXPECT_EQ(first.decodeErrors, "");
}

} // namespace
} // namespace kovra::avi::test
