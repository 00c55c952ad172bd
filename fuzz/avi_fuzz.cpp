// libFuzzer entry for the AVI reader: any input is inspected and repaired, and what the repair
// writes must be exactly the promised size, read back as sound, and repair to itself.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "avi/video_reading.h"
#include "avi/video_report.h"
#include "avi/writer.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "avi_fuzz: %s\n", what);
        std::abort();
    }
}

// The same bytes read as a file is: every read a call, so the reader takes large windows.
class WindowedSource final : public kovra::avi::ByteSource {
  public:
    explicit WindowedSource(kovra::avi::ByteSource& bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override {
        return bytes_.readAt(offset, buffer, n);
    }

  private:
    kovra::avi::ByteSource& bytes_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kovra::avi;
    MemorySource source(data, size);
    VideoReport report = inspect(source);
    VideoReading reading = readVideo(source, true);
    require(reading.report.findings == report.findings &&
                reading.report.repairedSize == report.repairedSize,
            "a reading for a repair finds what inspect finds");
    WindowedSource windowed(source);
    VideoReading throughWindows = readVideo(windowed, true);
    require(throughWindows.report.findings == report.findings &&
                throughWindows.chunks.size() == reading.chunks.size(),
            "reading through windows finds what reading just what is looked at finds");
    require(report.findings.empty() == (report.state == VideoState::Ok),
            "a video is sound exactly when nothing is found wrong");
    require(report.state != VideoState::Unreadable ||
                (report.findings.size() == 1 && isFailure(report.findings.front().kind)),
            "an unreadable video has one finding, its reason");
    MemoryOutput output({&source});
    WriteOutcome outcome = writeRepair(reading, output);
    require(outcome.written == (report.state != VideoState::Unreadable),
            "repair writes exactly when inspect finds the video readable");
    if (!outcome.written)
        return 0;
    require(output.bytes().size() == report.repairedSize && outcome.size == report.repairedSize,
            "repair writes the size inspect promised");
    require(outcome.frames == report.frames, "repair keeps the frames inspect counted");

    MemorySource repaired(output.bytes());
    VideoReading again = readVideo(repaired, true);
    require(again.report.state == VideoState::Ok, "a repaired file is sound");
    require(again.report.frames == report.frames, "a repaired file holds the frames counted");
    MemoryOutput twice({&repaired});
    require(writeRepair(again, twice).written && twice.bytes() == output.bytes(),
            "repairing a repaired file changes nothing");
    return 0;
}
