// The writer over a plan: how it hands a repair to the sink (the source's own bytes in as few
// pieces as the gaps allow, the header words last), and plans of several readings.
#include <gtest/gtest.h>

#include <algorithm>

#include "avi/plan.h"
#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

// The clip's new idx1 of 7 chunks takes 120 bytes, and 11 header words are patched (7 of RIFF,
// movi and avih, 2 per stream).
constexpr std::size_t kPatchedWords = 11;

struct LayoutCase {
    const char* name;
    std::vector<std::string> pieces; // the calls before the header words
};

const LayoutCase kLayouts[] = {
    // Guards against a power-cut recording costing more than one copy: header and every chunk
    // in one piece.
    {"no_index", {"appendFrom 0 0 11764", "append 0 120"}},
    // Guards against garbage copied, or neighbours after it split: a piece either side.
    {"garbage_between_chunks", {"appendFrom 0 0 6898", "appendFrom 0 6935 4866", "append 0 120"}},
};

class AviWriterLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(AviWriterLayout, HandsTheSinkFewPiecesAndPatchesLast) {
    Bytes input = corpusVideo(GetParam().name);
    MemorySource source(input);
    RecordingOutput sink;
    ASSERT_TRUE(writeRepair(readVideo(source, Chunks::Keep), sink).written);
    const std::vector<std::string>& pieces = GetParam().pieces;
    ASSERT_EQ(sink.calls.size(), pieces.size() + kPatchedWords);
    EXPECT_TRUE(std::equal(pieces.begin(), pieces.end(), sink.calls.begin()));
    for (std::size_t i = pieces.size(); i < sink.calls.size(); ++i)
        EXPECT_EQ(sink.calls[i].rfind("overwrite ", 0), 0u) << sink.calls[i];
}

INSTANTIATE_TEST_SUITE_P(Corpus, AviWriterLayout, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<LayoutCase>& param) {
                             return caseName(param.param.name);
                         });

// Guards against a plan of several readings taking its chunks, sizes or index offsets from the
// first alone: two recordings joined read back sound with the frames of both.
TEST(AviPlanWriter, JoinsTheChunksOfTwoReadings) {
    Bytes first = corpusVideo("sound_mars"), second = corpusVideo("no_index");
    MemorySource a(first), b(second);
    VideoReading readingA = readVideo(a, Chunks::Keep), readingB = readVideo(b, Chunks::Keep);
    Plan plan;
    plan.ranges = {{0, 0, readingA.chunks.size(), {}}, {1, 0, readingB.chunks.size(), {}}};
    MemoryOutput output({&a, &b});
    WriteOutcome outcome = writePlan(plan, {&readingA, &readingB}, output);
    ASSERT_TRUE(outcome.written);
    EXPECT_EQ(outcome.frames, 8u);
    EXPECT_EQ(outcome.size, output.bytes().size());
    VideoReport joined = inspectBytes(output.bytes());
    EXPECT_EQ(joined.state, VideoState::Ok);
    EXPECT_EQ(joined.frames, 8u);
}

// Guards against a range's tally taken from its whole reading: a clip of the second to the
// fourth frame holds 3, with their sound, and says so.
TEST(AviPlanWriter, WritesPartOfAReading) {
    Bytes video = corpusVideo("sound_mars");
    MemorySource source(video);
    VideoReading reading = readVideo(source, Chunks::Keep);
    Plan plan;
    plan.ranges = {{0, 2, reading.chunks.size(), {}}}; // from the second frame on
    MemoryOutput output({&source});
    WriteOutcome outcome = writePlan(plan, {&reading}, output);
    ASSERT_TRUE(outcome.written);
    EXPECT_EQ(outcome.frames, 3u);
    Repaired again = repairBytes(output.bytes());
    EXPECT_EQ(again.report.state, VideoState::Ok);
    EXPECT_EQ(again.report.frames, 3u);
}

} // namespace
} // namespace kovra::avi::test

namespace kovra::avi::test {
namespace {

struct UnfitCase {
    const char* name;
    Plan plan;
};

Plan unfit(std::vector<ChunkRange> ranges, std::optional<PartialChunk> head = std::nullopt) {
    Plan plan;
    plan.ranges = std::move(ranges);
    plan.head = head;
    return plan;
}

// The clip's 7 chunks: frame, sound of 2048 bytes, frame, sound, frame, frame, sound.
const UnfitCase kUnfit[] = {
    // Guards against reading past a reading's chunk list, or backwards through it.
    {"a range past the chunks", unfit({{0, 0, 8, {}}})},
    {"a range that ends before it begins", unfit({{0, 5, 2, {}}})},
    // Guards against a source no reading was given for.
    {"a source not read", unfit({{0, 0, 7, {}}, {3, 0, 7, {}}})},
    // Guards against windows indexed by streams the reading does not have.
    {"windows for one stream of two", unfit({{0, 0, 7, {StreamWindow{}}}})},
    // Guards against a partial chunk that copies bytes beyond its chunk, or none at all.
    {"a part larger than its chunk", unfit({{0, 0, 7, {}}}, PartialChunk{0, 1, 0, 2049})},
    {"a part past its chunk's end", unfit({{0, 0, 7, {}}}, PartialChunk{0, 1, 2048, 2})},
    {"a part of no bytes", unfit({{0, 0, 7, {}}}, PartialChunk{0, 1, 0, 0})},
    {"a part of a chunk not there", unfit({{0, 0, 7, {}}}, PartialChunk{0, 7, 0, 2})},
    // Guards against an output of sound alone, which no player opens as a video.
    {"no frame", unfit({{0, 1, 2, {}}}, PartialChunk{0, 3, 0, 2})},
};

void PrintTo(const UnfitCase& c, std::ostream* os) {
    *os << c.name;
}

class AviUnfitPlan : public ::testing::TestWithParam<UnfitCase> {};

TEST_P(AviUnfitPlan, IsRefusedBeforeAByteIsWritten) {
    Bytes video = corpusVideo("sound_mars");
    MemorySource source(video);
    VideoReading reading = readVideo(source, Chunks::Keep);
    ASSERT_EQ(reading.chunks.size(), 7u);
    RecordingOutput sink;
    EXPECT_FALSE(writePlan(GetParam().plan, {&reading}, sink).written);
    EXPECT_TRUE(sink.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, AviUnfitPlan, ::testing::ValuesIn(kUnfit),
                         [](const ::testing::TestParamInfo<UnfitCase>& param) {
                             return caseName(param.param.name);
                         });

} // namespace
} // namespace kovra::avi::test
