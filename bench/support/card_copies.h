// A card's worth of recordings made of one clip: copies beginning "MARS", as the recorder
// writes them, some cut short as a power cut leaves them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "bench/support/clip.h"

namespace kovra::bench {

struct CardCopies {
    std::size_t files = 0, cut = 0;
    std::uint64_t bytes = 0; // of the "MARS" files together
};

// A recording's name as the recorder numbers them: MOV0001.avi for 1; and that in folder.
std::string recordingName(std::size_t number);
std::string recordingPath(const std::filesystem::path& folder, std::size_t number);

// count copies of the clip into folder as MOV0001.avi ...; every cutEvery-th one (none for
// 0) is cut at 60 % of its length, which leaves it without its index and its last frame
// whole. With twin set, the same files beginning "RIFF" go there too, for programs that
// refuse "MARS". False when a file could not be written.
bool writeCopies(const Clip& clip, const std::filesystem::path& folder, std::size_t count,
                 std::size_t cutEvery, CardCopies& written, const std::filesystem::path& twin = {});

} // namespace kovra::bench
