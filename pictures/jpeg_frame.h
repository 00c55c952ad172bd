// A video frame checked as a JPEG picture before any decoder sees it: its markers walked, each
// length checked, its size bounded, so that a damaged or hostile frame costs nothing but a
// refusal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "pictures/no_picture.h"

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

struct JpegCheck {
    std::optional<JpegLayout> layout; // none: refused
    NoPicture refused = NoPicture::None;
};

// The frame's layout, or why no decoder should see it: no baseline or progressive JPEG, cut
// short (no end marker after its scan), a side of 0 or past kMostSide, other than 1 or 3
// components, samples not of 8 bits, no quantisation table. Told from the header alone, so that
// every system's codec is spared the same frames.
JpegCheck readJpegLayout(const std::uint8_t* frame, std::size_t size);

// Puts the standard tables before the frame's scan where it has none of its own, in place:
// with standardTablesSegmentSize() bytes of room reserved, the frame is never copied.
void addHuffmanTables(std::vector<std::uint8_t>& frame, const JpegLayout& layout);

} // namespace kovra::pictures
