// A long recording as a power cut leaves it, built from a short clip's chunks repeated: an
// ffmpeg encode of a gibibyte would take minutes.
#pragma once

#include <cstdint>
#include <filesystem>

#include "bench/support/clip.h"

namespace kovra::bench {

struct CutRecording {
    std::uint64_t bytes = 0;  // the file's size
    std::uint64_t chunks = 0; // complete data chunks: what a rebuilt index lists
    std::uint64_t frames = 0; // complete video frames
};

// Writes at least target bytes to path: the clip's headers with the sizes and counts of the
// whole recording, its movi chunks repeated, no idx1, and the last chunk cut in half; the
// file begins "MARS". With twin set, the same bytes beginning "RIFF" go there too.
bool writeCutRecording(const Clip& clip, std::uint64_t target, const std::filesystem::path& path,
                       CutRecording& written, const std::filesystem::path& twin = {});

} // namespace kovra::bench
