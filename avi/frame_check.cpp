#include "avi/frame_check.h"

#include <algorithm>
#include <cctype>

namespace kovra::avi {

namespace {

constexpr std::uint8_t kMarker = 0xFF, kSoi = 0xD8, kEoi = 0xD9;
constexpr std::size_t kMarkerSize = kJpegStartSize;
// How far before a frame's end its EOI may sit: room for a writer's padding after it.
constexpr std::size_t kEoiSearch = 1024;

bool sameIgnoringCase(FourCC a, FourCC b) {
    for (int i = 0; i < 4; ++i) {
        int ca = std::tolower(static_cast<int>((a >> (8 * i)) & 0xFF));
        int cb = std::tolower(static_cast<int>((b >> (8 * i)) & 0xFF));
        if (ca != cb)
            return false;
    }
    return true;
}

} // namespace

bool isJpegCodec(FourCC code) {
    return sameIgnoringCase(code, makeFourcc("MJPG")) ||
           sameIgnoringCase(code, makeFourcc("JPEG")) || code == makeFourcc("AVRn") ||
           code == makeFourcc("dmb1");
}

bool isIntraOnlyCodec(FourCC code) {
    constexpr FourCC kUncompressed = 0; // BI_RGB
    return isJpegCodec(code) || code == kUncompressed || code == makeFourcc("DIB ") ||
           code == makeFourcc("RGB ") || sameIgnoringCase(code, makeFourcc("LJPG"));
}

bool jpegStartMarker(const std::uint8_t* start, std::uint32_t size) {
    return size >= 2 * kMarkerSize && start[0] == kMarker && start[1] == kSoi;
}

bool jpegFrameStarts(SourceReader& reader, std::uint64_t payload, std::uint32_t size) {
    std::uint8_t soi[kMarkerSize];
    return size >= 2 * kMarkerSize && reader.copy(payload, soi, kMarkerSize) &&
           jpegStartMarker(soi, size);
}

bool jpegFrameEnds(SourceReader& reader, std::uint64_t payload, std::uint32_t size) {
    if (size < 2 * kMarkerSize)
        return false;
    std::size_t tail = std::min<std::size_t>(size - kMarkerSize, kEoiSearch);
    const std::uint8_t* t = reader.view(payload + size - tail, tail);
    if (!t)
        return false;
    // Entropy-coded data never holds FF D9, so any one found here is the picture's end.
    for (std::size_t i = tail - 1; i > 0; --i)
        if (t[i] == kEoi && t[i - 1] == kMarker)
            return true;
    return false;
}

} // namespace kovra::avi
