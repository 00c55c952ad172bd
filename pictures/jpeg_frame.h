// A video frame checked as a JPEG picture before any decoder sees it: its markers walked, each
// length checked, its size bounded, so that a damaged or hostile frame costs nothing but a
// refusal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kovra::pictures {

// The largest side a frame may claim: far past any recorder's, and a decode of one stays
// small once scaled.
constexpr unsigned kMostSide = 8192;
// The largest frame read at all: a recorder's are tens of kilobytes, and a hostile file's chunk
// that claims gigabytes is no allocation of ours.
constexpr std::uint32_t kMostFrameBytes = 32u << 20;

struct JpegLayout {
    unsigned width = 0, height = 0;
    bool hasTables = false; // a DHT before the first SOS
    std::size_t scanAt = 0; // where the first SOS marker starts
};

// The frame's layout; nothing when it is no baseline or progressive JPEG, is cut short (no
// end marker after its scan), or claims a side of 0 or past kMostSide.
std::optional<JpegLayout> readJpegLayout(const std::uint8_t* frame, std::size_t size);

// Puts the standard tables before the frame's scan where it has none of its own, in place:
// with standardTablesSegmentSize() bytes of room reserved, the frame is never copied.
void addHuffmanTables(std::vector<std::uint8_t>& frame, const JpegLayout& layout);

} // namespace kovra::pictures
