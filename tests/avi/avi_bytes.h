// The fuzzer's seed videos as test inputs, and the byte edits the tests damage them with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "avi/repair.h"
#include "avi/video_report.h"

namespace kovra::avi::test {

using Bytes = std::vector<std::uint8_t>;

// fuzz/corpus/avi/<name>.avi: a 64x48 MJPEG clip of 4 frames with 8 kHz mono PCM, made by
// ffmpeg; "sound_mars" is the recorder's kind of file.
Bytes corpusVideo(const std::string& name);

// Offset of the first fourcc at or after from; fails the test when there is none.
std::size_t findFourcc(const Bytes& bytes, const char* fourcc, std::size_t from = 0);
std::uint32_t getLe32(const Bytes& bytes, std::size_t offset);
void putLe32(Bytes& bytes, std::size_t offset, std::uint32_t value);

struct Repaired {
    RepairResult result;
    Bytes bytes;
};
Repaired repairBytes(const Bytes& input);
VideoReport inspectBytes(const Bytes& input);

// A table case's description as a test name: letters and digits, the rest "_".
std::string caseName(const char* description);

} // namespace kovra::avi::test
