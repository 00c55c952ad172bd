// libFuzzer entry for the AVI reader: any input is inspected and repaired, and what repair
// writes must be exactly the promised size, read back as sound, and repair to itself.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "avi/repair.h"
#include "avi/video_report.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "avi_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kovra::avi;
    MemorySource source(data, size);
    VideoReport report = inspect(source);
    MemorySink sink;
    RepairResult result = repair(source, sink);
    require(result.written == (report.state != VideoState::Unreadable),
            "repair writes exactly when inspect finds the video readable");
    if (!result.written)
        return 0;
    require(sink.bytes().size() == report.repairedSize, "repair writes the size inspect promised");
    require(result.frames == report.frames, "repair keeps the frames inspect counted");
    require(result.wasSound == (report.state == VideoState::Ok), "only a sound file is copied");

    MemorySource repaired(sink.bytes());
    VideoReport again = inspect(repaired);
    require(again.state == VideoState::Ok, "a repaired file is sound");
    require(again.frames == report.frames, "a repaired file holds the frames counted");
    MemorySink twice;
    RepairResult second = repair(repaired, twice);
    require(second.written && second.wasSound && twice.bytes() == sink.bytes(),
            "repairing a repaired file changes nothing");
    return 0;
}
