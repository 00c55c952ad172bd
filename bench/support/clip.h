// A short recorder-like clip made by ffmpeg, and where its parts lie: the benchmarks build
// their cards and long recordings out of it. Read here by a walk of its own, not by the
// reader under test.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kovra::bench {

struct ClipChunk {
    std::uint64_t offset; // of the chunk's header
    std::uint32_t size;   // payload, without the pad byte
    bool video;
};

struct Clip {
    std::vector<std::uint8_t> bytes; // as ffmpeg wrote it, beginning "RIFF"
    std::uint64_t moviList = 0;      // offset of LIST movi
    std::uint64_t avihPayload = 0;
    std::uint64_t videoStrhPayload = 0, audioStrhPayload = 0;
    std::uint16_t audioBlockAlign = 0;
    std::vector<ClipChunk> chunks; // movi's, in file order
};

// The clip's look, for the reports.
extern const char* const kClipDescription;

// Makes a clip of that many seconds at path with ffmpeg and reads it; false (with the reason
// on stderr) when ffmpeg fails or the file is not laid out as expected.
bool makeClip(const std::filesystem::path& path, int seconds, Clip& clip);

} // namespace kovra::bench
