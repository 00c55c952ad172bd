// Clips and joins: the frames and sound samples a plan of spans takes from one, two and three
// recordings, checked frame by frame and sample by sample in what the writer makes of it, and
// the plans refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>

#include "avi/plan.h"
#include "tests/avi/avi_bytes.h"

namespace kovra::avi::test {
namespace {

constexpr std::int64_t kEnd = std::numeric_limits<std::int64_t>::max();
constexpr std::uint32_t kSampleRate = 8000, kChunkSamples = 1600, kSampleBytes = 2;
constexpr std::size_t kClipFrame = 0, kClipSound = 1; // chunks of the corpus clip
constexpr std::size_t kTagAt = 2;                     // in a frame's payload, after SOI

// A recording made of the corpus clip's first frame and its sound, at scale / rate frames a
// second, with sound chunks of 1600 samples between the frames as their times fall.
struct Recording {
    std::uint32_t scale, rate;
    std::size_t frames;
    bool interCoded; // a codec with frames between key frames, one every 10 frames
};
const Recording kFifteen{1, 15, 30, false}, kThirteen{3, 40, 40, false}, kInter{1, 15, 30, true};

void makeInterCoded(Bytes& b) {
    std::copy_n("XVID", 4, &b[findFourcc(b, "strh") + 8 + 4]);
    std::copy_n("XVID", 4, &b[findFourcc(b, "strf") + 8 + 16]);
}

// Each frame's payload carries source x 1000 + its number, each sample source << 14 | its
// number, so that what a plan took can be told from the output alone.
Bytes record(const Recording& r, unsigned source) {
    Bytes clip = corpusVideo("sound_mars");
    std::uint64_t samples = std::uint64_t{r.frames} * r.scale * kSampleRate / r.rate;
    std::vector<Rebuilt> chunks;
    std::uint64_t k = 0;
    for (std::uint64_t n = 0; n < r.frames; ++n) {
        for (;
             k * kChunkSamples < samples && k * kChunkSamples * r.rate <= n * r.scale * kSampleRate;
             ++k)
            chunks.push_back({kClipSound, kChunkSamples * kSampleBytes});
        chunks.push_back({kClipFrame, indexedChunks(clip)[kClipFrame].size});
    }
    for (; k * kChunkSamples < samples; ++k)
        chunks.push_back({kClipSound, kChunkSamples * kSampleBytes});
    Bytes b = rebuildMovi(clip, chunks, true, true);
    std::size_t strh = findFourcc(b, "strh") + 8;
    putLe32(b, strh + 20, r.scale);
    putLe32(b, strh + 24, r.rate);
    if (r.interCoded)
        makeInterCoded(b);
    std::size_t idx1 = findFourcc(b, "idx1"), frame = 0, sample = 0, entry = 0;
    for (const IndexedChunk& c : indexedChunks(b)) {
        std::size_t payload = c.offset + 8, flags = idx1 + 8 + 16 * entry++ + 4;
        if (c.video) {
            putLe32(b, flags, frame % 10 == 0 || !r.interCoded ? 0x10 : 0);
            putLe32(b, payload + kTagAt, static_cast<std::uint32_t>(source * 1000 + frame++));
            continue;
        }
        for (std::size_t i = 0; i < c.size; i += kSampleBytes, ++sample) {
            b[payload + i] = static_cast<std::uint8_t>(sample);
            b[payload + i + 1] = static_cast<std::uint8_t>(source << 6 | sample >> 8);
        }
    }
    return b;
}

// The tags of the frames and samples a one-RIFF output holds, in order.
void contents(const Bytes& out, std::vector<std::uint32_t>& frames,
              std::vector<std::uint32_t>& samples) {
    for (const IndexedChunk& c : indexedChunks(out)) {
        if (c.video)
            frames.push_back(getLe32(out, c.offset + 8 + kTagAt));
        else
            for (std::size_t i = 0; i < c.size; i += kSampleBytes)
                samples.push_back(out[c.offset + 8 + i] | out[c.offset + 9 + i] << 8);
    }
}

// Three recordings of one kind, read; change, where given, is done to the third.
struct Three {
    explicit Three(const Recording& r, void (*change)(Bytes&) = nullptr) {
        for (unsigned s = 0; s < 3; ++s)
            files.push_back(record(r, s));
        if (change)
            change(files[2]);
        for (const Bytes& file : files)
            sources.emplace_back(file);
        for (MemorySource& source : sources)
            readings.push_back(readVideo(source, Chunks::Keep));
        read = {&readings[0], &readings[1], &readings[2]};
    }
    std::vector<Bytes> files;
    std::vector<MemorySource> sources;
    std::vector<VideoReading> readings;
    std::vector<const VideoReading*> read;
};

// A source, its first and last frame, its first sample and the one after its last.
using Taken = std::array<std::uint64_t, 5>;
enum Cut { kNone, kHead, kTail, kBoth }; // where a plan holds a partial sound chunk

struct SpanCase {
    const char* name;
    Recording recording; // of every source
    std::vector<SourceSpan> spans;
    std::vector<Taken> taken;
    Cut cut;
    std::uint64_t keyFrames; // frames added before the start
};

// Frame n of 15 fps starts at n / 15 s, when sample 533.33 x n does; sound chunk k holds
// samples [1600k, 1600k + 1600).
const SpanCase kSpans[] = {
    // Guards against an edge on a chunk boundary cut there, and an end inside one kept whole:
    // frames 15 to 22, samples 8000 (chunk 5's first) to 12267 (inside chunk 7).
    {"cut at the end only", kFifteen, {{0, 1000, 1500}}, {{0, 15, 22, 8000, 12267}}, kTail, 0},
    // Guards against a span of one frame losing the sound chunk cut at both its ends.
    {"one frame", kFifteen, {{0, 1010, 1080}}, {{0, 16, 16, 8533, 9067}}, kHead, 0},
    // Guards against a join taking less than everything, or cutting anything.
    {"a whole recording", kFifteen, {{0, 0, kEnd}}, {{0, 0, 29, 0, 16000}}, kNone, 0},
    // Guards against a frame starting exactly at the span's end taken, at 13.3 fps: frames 17
    // (1275 ms) to 31, sound from inside chunk 6 to the end of chunk 11.
    {"13.3 fps", kThirteen, {{0, 1234, 2400}}, {{0, 17, 31, 10200, 19200}}, kHead, 0},
    // Guards against the first recording's sound stopping at its last frame, or the second's
    // starting at its first.
    {"two",
     kFifteen,
     {{0, 1500, kEnd}, {1, 0, 500}},
     {{0, 23, 29, 12267, 16000}, {1, 0, 7, 0, 4267}},
     kBoth,
     0},
    // Guards against the middle recording of three cut at all.
    {"three",
     kFifteen,
     {{0, 1900, kEnd}, {1, 0, kEnd}, {2, 0, 100}},
     {{0, 29, 29, 15467, 16000}, {1, 0, 29, 0, 16000}, {2, 0, 1, 0, 1067}},
     kBoth,
     0},
    // Guards against a recording that gives no frame giving its sound's tail.
    {"the first ends before",
     kFifteen,
     {{0, 1990, kEnd}, {1, 0, 100}},
     {{1, 0, 1, 0, 1067}},
     kTail,
     0},
    // Guards against a clip of a codec with frames between key frames starting where no
    // player can: frame 15 moves back to 10, and the sound with it.
    {"back to a key frame", kInter, {{0, 1000, 1500}}, {{0, 10, 22, 5333, 12267}}, kBoth, 5},
};

void PrintTo(const SpanCase& c, std::ostream* os) {
    *os << c.name;
}

class AviSpanPlan : public ::testing::TestWithParam<SpanCase> {};

TEST_P(AviSpanPlan, TakesTheFramesAndSamplesOfTheSpans) {
    const SpanCase& c = GetParam();
    Three three(c.recording);
    SpanPlan planned = planSpans(three.read, c.spans);
    ASSERT_EQ(planned.refusal, PlanRefusal::None);
    EXPECT_EQ(planned.framesBeforeStart, c.keyFrames);
    EXPECT_EQ(planned.plan.head.has_value(), c.cut == kHead || c.cut == kBoth);
    EXPECT_EQ(planned.plan.tail.has_value(), c.cut == kTail || c.cut == kBoth);
    std::vector<Taken> taken;
    for (const SpanTaken& t : planned.taken) {
        EXPECT_EQ(t.frames, t.lastFrame - t.firstFrame + 1);
        taken.push_back({t.source, t.firstFrame, t.lastFrame, 0, t.samples});
    }
    std::vector<std::uint32_t> frames, samples;
    std::vector<Taken> expected;
    for (const auto& [source, first, last, from, to] : c.taken) {
        expected.push_back({source, first, last, 0, to - from});
        for (std::uint64_t f = first; f <= last; ++f)
            frames.push_back(static_cast<std::uint32_t>(source * 1000 + f));
        for (std::uint64_t s = from; s < to; ++s)
            samples.push_back(static_cast<std::uint32_t>(source << 14 | s));
    }
    EXPECT_EQ(taken, expected) << "source, first and last frame, 0, samples";

    MemoryOutput output({&three.sources[0], &three.sources[1], &three.sources[2]});
    WriteOutcome outcome = writePlan(planned.plan, three.read, output);
    ASSERT_TRUE(outcome.written);
    EXPECT_EQ(outcome.frames, frames.size());
    EXPECT_EQ(outcome.samples, samples.size());
    EXPECT_TRUE(outcome.riffParts == 1 && !outcome.openDml);
    EXPECT_EQ(inspectBytes(output.bytes()).state, VideoState::Ok);
    std::vector<std::uint32_t> framesOut, samplesOut;
    contents(output.bytes(), framesOut, samplesOut);
    EXPECT_EQ(framesOut, frames);
    EXPECT_TRUE(samplesOut == samples) << "the sound is not the span's, sample for sample";
}

INSTANTIATE_TEST_SUITE_P(Table, AviSpanPlan, ::testing::ValuesIn(kSpans),
                         [](const ::testing::TestParamInfo<SpanCase>& param) {
                             return caseName(param.param.name);
                         });

void putAt(Bytes& b, const char* fourcc, std::size_t nth, std::size_t offset, std::uint32_t v) {
    std::size_t at = findFourcc(b, fourcc);
    for (std::size_t i = 0; i < nth; ++i)
        at = findFourcc(b, fourcc, at + 4);
    putLe32(b, at + 8 + offset, v);
}

using Why = PlanRefusal;
using Diff = FormatDifference;

struct RefusalCase {
    const char* name;
    void (*change)(Bytes&); // done to the third recording
    std::vector<SourceSpan> spans;
    Why refusal;
    std::size_t source;
    Diff difference;
};

const std::vector<SourceSpan> kJoin = {{0, 0, kEnd}, {1, 0, kEnd}, {2, 0, kEnd}};

const RefusalCase kRefusals[] = {
    // Guards against recordings of another codec, frame size, frame rate or sound, or another
    // set of streams, joined under the first one's header; the third is named, not the second.
    {"codec", makeInterCoded, kJoin, Why::FormatsDiffer, 2, Diff::Codec},
    {"frame size", [](Bytes& b) { putAt(b, "strf", 0, 4, 320); }, kJoin, Why::FormatsDiffer, 2,
     Diff::FrameSize},
    {"frame rate", [](Bytes& b) { putAt(b, "strh", 0, 24, 30); }, kJoin, Why::FormatsDiffer, 2,
     Diff::FrameRate},
    {"sample rate", [](Bytes& b) { putAt(b, "strf", 1, 4, 16000); }, kJoin, Why::FormatsDiffer, 2,
     Diff::Sound},
    {"block align", [](Bytes& b) { putAt(b, "strf", 1, 12, 0x00100004); }, kJoin,
     Why::FormatsDiffer, 2, Diff::Sound},
    {"no sound", [](Bytes& b) { std::copy_n("txts", 4, &b[findFourcc(b, "auds")]); }, kJoin,
     Why::FormatsDiffer, 2, Diff::Streams},
    // Guards against an unreadable recording skipped, leaving a gap in the evidence.
    {"unreadable", [](Bytes& b) { b.resize(40); }, kJoin, Why::Unreadable, 2, Diff::None},
    // Guards against a span naming no source read.
    {"no such source", nullptr, {{0, 0, kEnd}, {7, 0, kEnd}}, Why::Unreadable, 7, Diff::None},
    // Guards against a plan of no frame, or of spans that end before they begin.
    {"past the end", nullptr, {{0, 2000, kEnd}}, Why::NothingInRange, 0, Diff::None},
    {"ends before it begins", nullptr, {{0, 1500, 1000}}, Why::NothingInRange, 0, Diff::None},
    {"no spans", nullptr, {}, Why::NothingInRange, 0, Diff::None},
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class AviSpanRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(AviSpanRefusal, RefusesNamingTheSource) {
    const RefusalCase& c = GetParam();
    Three three(kFifteen, c.change);
    SpanPlan planned = planSpans(three.read, c.spans);
    EXPECT_EQ(planned.refusal, c.refusal);
    EXPECT_EQ(planned.differingSource, c.source);
    EXPECT_EQ(planned.difference, c.difference);
    EXPECT_TRUE(planned.plan.ranges.empty() && planned.taken.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, AviSpanRefusal, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<RefusalCase>& param) {
                             return caseName(param.param.name);
                         });

// Guards against a reading that kept no chunks planned as if it had none to give.
TEST(AviSpanPlan, RefusesAReadingWithoutItsChunks) {
    Bytes file = record(kFifteen, 0);
    MemorySource source(file);
    VideoReading listed = readVideo(source, Chunks::CountOnly);
    EXPECT_EQ(planSpans({&listed}, {{0, 0, kEnd}}).refusal, PlanRefusal::Unreadable);
}

} // namespace
} // namespace kovra::avi::test
