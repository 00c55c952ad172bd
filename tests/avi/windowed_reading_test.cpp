// The reader where every read is a call to the system, as a file's are: its windows, a page
// from where a look is and further while the looks follow one another, must hand the reading
// the same bytes as memory does, and must not read the data a walk hops over.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "avi/source_reader.h"
#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

// Reads as a file does, counting the calls and the bytes.
class CallSource final : public ByteSource {
  public:
    explicit CallSource(ByteSource& inner) : inner_(inner) {}
    std::uint64_t size() const override { return inner_.size(); }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override {
        ++calls;
        read += n;
        largest = std::max(largest, n);
        return inner_.readAt(offset, buffer, n);
    }
    // One call for them all, as a ring of the system's takes them.
    void readEach(ReadRequest* requests, std::size_t count) override {
        ++calls;
        for (std::size_t i = 0; i < count; ++i) {
            read += requests[i].n;
            largest = std::max(largest, requests[i].n);
            requests[i].read = inner_.readAt(requests[i].offset, requests[i].buffer, requests[i].n);
        }
    }
    std::uint64_t calls = 0, read = 0;
    std::size_t largest = 0;

  private:
    ByteSource& inner_;
};

void expectSameRepair(const Bytes& bytes, const std::string& what) {
    Repaired expected = repairBytes(bytes);
    MemorySource memory(bytes);
    CallSource file(memory);
    VideoReading reading = readVideo(file, Chunks::Keep);
    MemoryOutput output({&memory});
    WriteOutcome outcome = writeRepair(reading, output);
    EXPECT_EQ(reading.report.findings, expected.report.findings) << what;
    EXPECT_EQ(outcome.written, expected.outcome.written) << what;
    EXPECT_EQ(output.take(), expected.bytes) << what;
}

// Guards against a look across a window's end (a chunk header, a frame's markers, an index
// entry cut in two by it) seeing other bytes than memory holds there: every repair the same.
TEST(AviWindowedReading, RepairsWhatMemoryRepairs) {
    for (const char* name :
         {"sound_mars", "cut_in_frame", "cut_in_chunk_header", "cut_in_index", "cut_on_boundary",
          "garbage_between_chunks", "lying_chunk_size", "no_index", "sizes_zeroed",
          "zero_run_then_chunks", "rec_lists", "absolute_index", "avix_part"})
        expectSameRepair(corpusVideo(name), name);
    // Chunks of sizes around a page, so that headers fall across each window's end.
    Bytes clip = corpusVideo("sound_mars");
    for (std::size_t grow = 0; grow < 64; grow += 7)
        for (bool withIndex : {true, false}) {
            std::vector<Rebuilt> chunks = asIndexed(clip);
            for (Rebuilt& chunk : chunks)
                chunk.size = SourceReader::kLeastWindow - 4 + grow;
            expectSameRepair(rebuildMovi(clip, chunks, grow % 2 == 0, withIndex),
                             "chunks of " + std::to_string(chunks[0].size));
        }
}

// Guards against a walk of chunk headers reading every byte it hops over: a recording a power
// cut left, of frames far larger than a page, costs a call and a page a frame.
TEST(AviWindowedReading, WalkReadsAPageAFrame) {
    constexpr std::uint32_t kFrame = 256 * 1024;
    constexpr std::uint32_t kFrames = 64;
    Bytes clip = corpusVideo("sizes_zeroed");
    MadeUpSource made;
    made.append(Bytes(clip.begin(), clip.begin() + findFourcc(clip, "movi") - 8));
    made.append(MadeUpSource::header("LIST", 0, "movi")); // sizes a power cut left as zeros
    for (std::uint32_t i = 0; i < kFrames; ++i)
        made.appendFrame(kFrame);
    CallSource file(made);
    VideoReading reading = readVideo(file, Chunks::CountOnly);
    EXPECT_EQ(reading.report.frames, kFrames);
    EXPECT_LE(file.calls, kFrames + 8);
    EXPECT_LE(file.read, (kFrames + 8) * 2 * SourceReader::kLeastWindow);
}

// Guards against a read planned from where the next looks fall that brings fewer bytes than the
// look asks for, more than the window holds, or reads past the end: the view is memory's.
TEST(AviWindowedReading, PlannedReadsKeepTheirBounds) {
    constexpr std::uint64_t kWindow = SourceReader::kWindow;
    Bytes bytes(3 * kWindow);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    const std::uint64_t end = bytes.size();
    struct Case {
        std::uint64_t offset;
        std::size_t n;
        std::uint64_t through;
        const char* fault;
    } cases[] = {
        {end - 8, 8, end + kWindow, "a plan past the end of the source read past it"},
        {100, 8, 50, "a plan ending before the look read less than the look"},
        {100, 8, 104, "a plan ending inside the look read less than the look"},
        {100, 8, 100 + 2 * kWindow, "a plan longer than the window overran it"},
    };
    for (const Case& c : cases) {
        MemorySource memory(bytes);
        CallSource file(memory);
        SourceReader reader(file);
        const std::uint8_t* v = reader.view(c.offset, c.n, c.through);
        ASSERT_NE(v, nullptr) << c.fault;
        EXPECT_TRUE(std::equal(v, v + c.n, bytes.begin() + static_cast<std::ptrdiff_t>(c.offset)))
            << c.fault;
        EXPECT_TRUE(reader.holds(c.offset, c.n)) << c.fault;
        EXPECT_LE(file.largest, kWindow) << c.fault;
        EXPECT_EQ(file.calls, 1u) << c.fault; // not a read refused, then one of the look alone
    }
}

// Guards against the index check copying a page for each chunk header it reads, or making a
// call for each, where the index tells where every look falls: the looks of many entries (a
// header, a frame's start marker) go to the system together, each just its own bytes and, for
// looks close together, the sound chunk's bytes between them.
TEST(AviWindowedReading, IndexCheckReadsWhatItLooksAt) {
    constexpr std::size_t kFrame = 64 * 1024, kRepeats = 32, kLook = 64;
    Bytes clip = corpusVideo("sound_mars");
    std::vector<IndexedChunk> listed = indexedChunks(clip);
    std::vector<Rebuilt> chunks;
    std::size_t soundBytes = 0;
    for (std::size_t r = 0; r < kRepeats; ++r)
        for (Rebuilt chunk : asIndexed(clip)) {
            bool video = listed[chunk.sourceChunk].video;
            soundBytes += video ? 0 : chunk.size;
            chunk.size = video ? kFrame : chunk.size;
            chunks.push_back(chunk);
        }
    // The frames run on over zeros past the clip's end.
    clip.resize(clip.size() + kFrame);
    Bytes bytes = rebuildMovi(clip, chunks, true, true);
    MemorySource memory(bytes);
    CallSource file(memory);
    VideoReading reading = readVideo(file, Chunks::CountOnly);
    ASSERT_TRUE(reading.chunksFromIndex);
    // The header, the index, and the last frame's end: a few pages and the index's own bytes.
    const std::uint64_t fixed = 4 * SourceReader::kLeastWindow + chunks.size() * 16;
    EXPECT_LE(file.calls, 8 + chunks.size() / 256 + 1);
    EXPECT_LE(file.read, fixed + soundBytes + chunks.size() * kLook);
}

// Guards against looks read together (a sound chunk's header and the next frame's, a few
// hundred bytes apart) each judged by bytes of another: the clip's index holds as it is, and a
// byte changed in any one look is found, wherever in a read together it falls.
TEST(AviWindowedReading, LooksReadTogetherEachSeeTheirOwnBytes) {
    Bytes clip = corpusVideo("sound_mars");
    std::vector<IndexedChunk> listed = indexedChunks(clip);
    ASSERT_GT(listed.size(), 6u);
    {
        MemorySource memory(clip);
        ASSERT_TRUE(readVideo(memory, Chunks::CountOnly).chunksFromIndex);
    }
    // Each chunk's size field, and each frame's start marker.
    std::vector<std::size_t> places;
    for (const IndexedChunk& chunk : listed) {
        places.push_back(chunk.offset + kFourccSize);
        if (chunk.video)
            places.push_back(chunk.offset + kChunkHeaderSize + 1);
    }
    for (std::size_t place : places) {
        Bytes changed = clip;
        changed[place] ^= 0x01;
        MemorySource memory(changed);
        VideoReading reading = readVideo(memory, Chunks::CountOnly);
        EXPECT_FALSE(reading.chunksFromIndex && reading.report.findings.empty())
            << "a byte changed at " << place << " passed";
    }
}

} // namespace
} // namespace kovra::avi::test
