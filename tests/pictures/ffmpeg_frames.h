// Motion-JPEG made by ffmpeg for the picture tests, with its Huffman tables as a recorder
// leaves them out, and ffmpeg's own decode to compare with: the native run's only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"

namespace kovra::pictures::test {

using Bytes = std::vector<std::uint8_t>;

// Runs ffmpeg with args after "-v error -nostdin -y"; false with its words in error.
bool runFfmpeg(const kovra::test::ScratchDir& dir, const std::vector<std::string>& args,
               std::string& error);

// Turns every DHT segment before the scan of the JPEG at `at` into a comment of the same
// length, so that the frame keeps its size and needs the standard tables; false when there
// is no JPEG there.
bool hideTables(Bytes& bytes, std::size_t at);

// ffmpeg's decode of the picture file, scaled to width x height, as RGB; empty on failure.
Bytes ffmpegRgb(const kovra::test::ScratchDir& dir, const std::string& file, unsigned width,
                unsigned height);

// Peak signal-to-noise ratio of two RGB pictures of the same size, in dB.
double psnr(const Bytes& a, const Bytes& b);

} // namespace kovra::pictures::test
