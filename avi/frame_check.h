// What the codec tells about a video frame without decoding it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "avi/riff.h"
#include "avi/source_reader.h"

namespace kovra::avi {

// Codecs whose every frame is a JPEG picture (the recorder's MJPG among them).
bool isJpegCodec(FourCC code);
// Codecs whose every frame is a key frame.
bool isIntraOnlyCodec(FourCC code);

// The bytes of a frame's data that jpegFrameStarts() looks at: its SOI marker.
constexpr std::size_t kJpegStartSize = 2;

// A JPEG frame starts with SOI, and an EOI survives near its end unless a power cut's zeros
// began inside it and took the EOI with them.
bool jpegFrameStarts(SourceReader& reader, std::uint64_t payload, std::uint32_t size);
// The same, of a frame's first kJpegStartSize bytes already read (start).
bool jpegStartMarker(const std::uint8_t* start, std::uint32_t size);
bool jpegFrameEnds(SourceReader& reader, std::uint64_t payload, std::uint32_t size);

} // namespace kovra::avi
