// A chunk's bytes read from a video whose reading was a glance: its index was checked against
// the file's size alone, so the chunk header at the place it names is read with the payload
// and must still be the one the reading found there.
#pragma once

#include <cstdint>
#include <vector>

#include "avi/data_chunks.h"
#include "device/video_files.h"

namespace kovra::player {

enum class ChunkRead { Read, Unreadable, Moved };

// Appends size bytes of the chunk's payload from offset (both within its size) to bytes; one
// read of the system, header included. Unreadable: the source's readError() says why.
ChunkRead readCheckedChunk(VideoFileSource& source, const avi::DataChunk& chunk,
                           std::uint32_t offset, std::uint32_t size,
                           std::vector<std::uint8_t>& bytes);

} // namespace kovra::player
