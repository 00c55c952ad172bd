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
    ASSERT_TRUE(writeRepair(readVideo(source, true), sink).written);
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
    VideoReading readingA = readVideo(a, true), readingB = readVideo(b, true);
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
    VideoReading reading = readVideo(source, true);
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
