// libFuzzer entry for the AVI reader and writer. Any input is inspected and repaired, and what
// the repair writes must be exactly the promised size, read back as sound, and repair to
// itself. An input that begins with a length that fits in it is also two recordings, of which
// a clip is planned and written: it must read back with the frames the plan said.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "avi/glance.h"
#include "avi/plan.h"
#include "avi/video_reading.h"
#include "avi/video_report.h"
#include "avi/writer.h"

namespace {

using namespace kovra::avi;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "avi_fuzz: %s\n", what);
        std::abort();
    }
}

// The same bytes read as a file is: every read a call, so the reader takes large windows.
class WindowedSource final : public ByteSource {
  public:
    explicit WindowedSource(ByteSource& bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override {
        return bytes_.readAt(offset, buffer, n);
    }

  private:
    ByteSource& bytes_;
};

// A glance trusts an index it checked against the file's size alone: every frame it picks
// must still lie inside the file, and a video it finds unreadable is one the full reading does.
void checkGlance(ByteSource& source, const VideoReport& full) {
    constexpr unsigned kStrip = 8;
    Glance g = glance(source, kStrip);
    require(g.spread.size() <= kStrip && g.leading.size() <= kLeadingFrames,
            "a glance picks no more frames than asked");
    auto inside = [&](const FramePlace& place) {
        return place.offset <= source.size() && source.size() - place.offset >= kChunkHeaderSize &&
               place.size <= source.size() - place.offset - kChunkHeaderSize;
    };
    for (const FramePlace& place : g.leading)
        require(place.size != 0 && inside(place), "a leading frame lies inside the file");
    for (const FramePlace& place : g.spread)
        require(place.size == 0 || inside(place), "a spread frame lies inside the file");
    // Whether a frame is whole only the full reading judges, from its bytes: readable and "no
    // complete frame" count as one.
    auto failure = [](const VideoReport& r) {
        return r.state != VideoState::Unreadable ? FindingKind::NoCompleteFrame
                                                 : r.findings.front().kind;
    };
    require(failure(g.report) == failure(full), "a glance fails a video as the full reading does");
}

void checkRepair(const std::uint8_t* data, std::size_t size) {
    MemorySource source(data, size);
    VideoReport report = inspect(source);
    VideoReading reading = readVideo(source, Chunks::Keep);
    require(reading.report.findings == report.findings &&
                reading.report.repairedSize == report.repairedSize &&
                reading.report.recorded == report.recorded,
            "a reading for a repair finds what inspect finds");
    WindowedSource windowed(source);
    VideoReading throughWindows = readVideo(windowed, Chunks::Keep);
    require(throughWindows.report.findings == report.findings &&
                throughWindows.chunks.size() == reading.chunks.size(),
            "reading through windows finds what reading just what is looked at finds");
    require(report.findings.empty() == (report.state == VideoState::Ok),
            "a video is sound exactly when nothing is found wrong");
    checkGlance(windowed, report);
    require(report.state != VideoState::Unreadable ||
                (report.findings.size() == 1 && isFailure(report.findings.front().kind)),
            "an unreadable video has one finding, its reason");
    MemoryOutput output({&source});
    WriteOutcome outcome = writeRepair(reading, output);
    require(outcome.written == (report.state != VideoState::Unreadable),
            "repair writes exactly when inspect finds the video readable");
    if (!outcome.written)
        return;
    require(output.bytes().size() == report.repairedSize && outcome.size == report.repairedSize,
            "repair writes the size inspect promised");
    require(outcome.frames == report.frames, "repair keeps the frames inspect counted");

    MemorySource repaired(output.bytes());
    VideoReading again = readVideo(repaired, Chunks::Keep);
    require(again.report.state == VideoState::Ok, "a repaired file is sound");
    require(again.report.frames == report.frames, "a repaired file holds the frames counted");
    MemoryOutput twice({&repaired});
    require(writeRepair(again, twice).written && twice.bytes() == output.bytes(),
            "repairing a repaired file changes nothing");
}

// Two recordings: the length of the first, a byte for the spans, a byte for OpenDML, the two.
constexpr std::size_t kLengthBytes = 4, kPairHeader = kLengthBytes + 2;
// The seeds last about 270 ms: spans start and end in steps that fall inside them.
constexpr std::int64_t kStepMs = 20;
constexpr unsigned kNibble = 4, kLowNibble = 0x0F;
// Where the OpenDML byte's top bit is set, parts of a few KiB, so that small inputs make many.
constexpr std::uint8_t kSmallParts = 0x80, kPartSteps = 0x7F;
constexpr std::uint64_t kSmallestPart = 2048, kPartStep = 256;

void checkClip(const std::uint8_t* data, std::size_t size) {
    if (size < kPairHeader)
        return;
    std::uint32_t firstSize = le32(data);
    if (firstSize > size - kPairHeader)
        return;
    const std::uint8_t spanByte = data[kLengthBytes], partByte = data[kLengthBytes + 1];
    const std::uint8_t* first = data + kPairHeader;
    const std::uint8_t* second = first + firstSize;
    const std::size_t secondSize = size - kPairHeader - firstSize;
    checkRepair(first, firstSize);
    checkRepair(second, secondSize);

    MemorySource a(first, firstSize), b(second, secondSize);
    VideoReading readingA = readVideo(a, Chunks::Keep), readingB = readVideo(b, Chunks::Keep);
    // The second half of the first and the first part of the second, as a clip across two.
    std::int64_t fromMs = (spanByte & kLowNibble) * kStepMs;
    std::int64_t toMs = (spanByte >> kNibble) * kStepMs;
    std::vector<const VideoReading*> readings = {&readingA, &readingB};
    SpanPlan clip =
        planSpans(readings, {{0, fromMs, std::numeric_limits<std::int64_t>::max()}, {1, 0, toMs}});
    if (clip.refusal != PlanRefusal::None) {
        require(clip.plan.ranges.empty() && clip.taken.empty(), "a refused plan takes nothing");
        return;
    }
    std::uint64_t frames = 0, samples = 0;
    for (const SpanTaken& taken : clip.taken) {
        require(taken.frames == taken.lastFrame - taken.firstFrame + 1 && taken.frames != 0,
                "a source gives the frames between its first and last");
        frames += taken.frames;
        samples += taken.samples;
    }
    if (partByte & kSmallParts)
        clip.plan.singleRiffUpTo = kSmallestPart + (partByte & kPartSteps) * kPartStep;

    MemoryOutput output({&a, &b});
    WriteOutcome outcome = writePlan(clip.plan, readings, output);
    require(outcome.written, "a plan of spans is written");
    require(outcome.size == output.bytes().size(), "a clip is the size the writer says");
    require(outcome.frames == frames, "a clip holds the frames its plan took");
    require(outcome.samples >= samples, "a clip holds the sound its plan took");
    // A frame its source vouched for by the data chunk after it may end the clip, or one of
    // its parts, where only its own end marker can: the reader doubts one that has none there.
    // A recorder's frames all end in theirs.
    MemorySource written(output.bytes());
    VideoReading again = readVideo(written, Chunks::Keep);
    if (again.report.state == VideoState::Unreadable) {
        require(again.report.findings.front().kind == FindingKind::NoCompleteFrame,
                "a clip reads back, unless the reader doubts its every frame");
        return;
    }
    const Finding* doubted = nullptr;
    for (const Finding& finding : again.report.findings)
        if (finding.kind == FindingKind::DamagedFrames)
            doubted = &finding;
    std::uint64_t doubtedFrames = doubted ? doubted->found : 0;
    require(again.report.state == VideoState::Ok || outcome.openDml || doubted,
            "a clip without OpenDML's parts reads back sound");
    require(again.report.frames + doubtedFrames == frames,
            "a clip reads back with the frames its plan took");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkRepair(data, size);
    checkClip(data, size);
    return 0;
}
