// The Huffman tables a motion-JPEG frame leaves out: the typical tables of the JPEG standard
// (ITU T.81, Annex K.3), which a frame without tables of its own was coded with.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kovra::pictures {

// One DHT segment, marker and length included, that defines all four tables: DC and AC for
// luminance (table 0) and chrominance (table 1).
const std::uint8_t* standardTablesSegment();
std::size_t standardTablesSegmentSize();

} // namespace kovra::pictures
