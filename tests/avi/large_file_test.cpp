// OpenDML videos too large for one plain RIFF: the bytes are made up as they are read, so no
// test writes gigabytes to disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

// Zeros, with a few pieces of bytes laid over them.
class MadeUpSource final : public ByteSource {
  public:
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override {
        if (offset > size_ || n > size_ - offset)
            return false;
        auto* out = static_cast<std::uint8_t*>(buffer);
        std::memset(out, 0, n);
        for (const auto& [at, bytes] : pieces_) {
            std::uint64_t from = std::max(at, offset), to = std::min(at + bytes.size(), offset + n);
            if (from < to)
                std::memcpy(out + (from - offset), bytes.data() + (from - at), to - from);
        }
        return true;
    }
    void append(const Bytes& bytes) {
        pieces_.push_back({size_, bytes});
        size_ += bytes.size();
    }
    // A chunk 00dc of size bytes holding a JPEG's first and last markers.
    void appendFrame(std::uint32_t size) {
        append(header("00dc", size));
        append({0xFF, 0xD8});
        size_ += size - 4;
        append({0xFF, 0xD9});
    }
    static Bytes header(const char* id, std::uint32_t size, const char* type = nullptr) {
        Bytes b(id, id + 4);
        b.resize(8);
        putLe32(b, 4, size);
        if (type)
            b.insert(b.end(), type, type + 4);
        return b;
    }

  private:
    std::uint64_t size_ = 0;
    std::vector<std::pair<std::uint64_t, Bytes>> pieces_;
};

// The clip's header, then one frame in the first RIFF and one in a RIFF AVIX part.
MadeUpSource openDmlVideo(std::uint32_t frameSize) {
    Bytes clip = corpusVideo("sound_mars");
    MadeUpSource source;
    source.append(Bytes(clip.begin(), clip.begin() + findFourcc(clip, "movi") - 8));
    std::uint32_t movi = 4 + 8 + frameSize;
    source.append(MadeUpSource::header("LIST", movi, "movi"));
    source.appendFrame(frameSize);
    source.append(MadeUpSource::header("RIFF", 4 + 8 + movi, "AVIX"));
    source.append(MadeUpSource::header("LIST", movi, "movi"));
    source.appendFrame(frameSize);
    return source;
}

// Counts what the writer gives it, reading nothing.
class CountingOutput final : public OutputSink {
  public:
    bool append(const void*, std::size_t n) override {
        written += n;
        return true;
    }
    bool appendFrom(std::size_t, std::uint64_t, std::uint64_t n) override {
        written += n;
        return true;
    }
    bool overwrite(std::uint64_t offset, const void*, std::size_t n) override {
        return offset <= written && n <= written - offset;
    }
    std::uint64_t written = 0;
};

// Guards against a merged RIFF whose 32-bit sizes would wrap: refused, naming the size it
// would have, and nothing written; and against a source past 4 GiB not being read at all.
TEST(AviLargeFile, OpenDmlBeyondFourGigabytesIsRefused) {
    MadeUpSource source = openDmlVideo(0x90000000);
    ASSERT_GT(source.size(), 0x100000000u);
    VideoReading reading = readVideo(source, true);
    EXPECT_EQ(reading.report.state, VideoState::Unreadable);
    EXPECT_EQ(reading.report.frames, 2u);
    EXPECT_EQ(reading.report.repairedSize, 0u);
    ASSERT_EQ(reading.report.findings.size(), 1u);
    const Finding& refusal = reading.report.findings.front();
    EXPECT_EQ(refusal.kind, FindingKind::TooLargeToRepair);
    // The clip's header and LIST movi, both frames, idx1 with two entries.
    std::uint64_t header = findFourcc(corpusVideo("sound_mars"), "movi") + 4;
    EXPECT_EQ(refusal.found, header + 2 * (8 + 0x90000000ull) + 8 + 2 * 16);
    CountingOutput sink;
    EXPECT_FALSE(writeRepair(reading, sink).written);
    EXPECT_EQ(sink.written, 0u);
}

// Guards against the AVIX part's frames being left out of a merge that fits.
TEST(AviLargeFile, OpenDmlUnderFourGigabytesIsMergedIntoOneRiff) {
    MadeUpSource source = openDmlVideo(0x70000000);
    VideoReading reading = readVideo(source, true);
    EXPECT_EQ(reading.report.state, VideoState::Repairable);
    EXPECT_EQ(reading.report.frames, 2u);
    CountingOutput sink;
    WriteOutcome outcome = writeRepair(reading, sink);
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.frames, 2u);
    EXPECT_EQ(sink.written, reading.report.repairedSize);
}

} // namespace
} // namespace kovra::avi::test
