#include "pictures/jpeg_frame.h"

#include "pictures/standard_tables.h"

namespace kovra::pictures {

namespace {

constexpr std::uint8_t kMarkerPrefix = 0xFF;
constexpr std::uint8_t kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kDht = 0xC4;
constexpr std::uint8_t kTem = 0x01, kFirstRst = 0xD0, kLastRst = 0xD7;
// The frame kinds a decoder of ours reads: baseline, extended and progressive, Huffman-coded.
constexpr std::uint8_t kSofBaseline = 0xC0, kSofExtended = 0xC1, kSofProgressive = 0xC2;
// Other start-of-frame markers: lossless, hierarchical, arithmetic coding.
constexpr std::uint8_t kFirstSof = 0xC0, kLastSof = 0xCF, kJpg = 0xC8, kDac = 0xCC;
constexpr std::size_t kMarkerSize = 2, kLengthSize = 2;
// SOF payload: precision, height, width, component count, then 3 bytes a component.
constexpr std::size_t kSofHeight = 1, kSofWidth = 3, kSofComponents = 5, kSofFixed = 6;
constexpr std::size_t kSofComponentSize = 3;
constexpr unsigned kMostComponents = 4;

unsigned be16(const std::uint8_t* p) {
    return static_cast<unsigned>(p[0]) << 8 | p[1];
}

bool isOtherSof(std::uint8_t marker) {
    return marker >= kFirstSof && marker <= kLastSof && marker != kDht && marker != kJpg &&
           marker != kDac;
}

bool readFrameHeader(const std::uint8_t* payload, std::size_t length, JpegLayout& layout) {
    if (length < kSofFixed)
        return false;
    unsigned components = payload[kSofComponents];
    if (components == 0 || components > kMostComponents ||
        length < kSofFixed + components * kSofComponentSize)
        return false;
    layout.height = be16(payload + kSofHeight);
    layout.width = be16(payload + kSofWidth);
    return layout.width != 0 && layout.height != 0 && layout.width <= kMostSide &&
           layout.height <= kMostSide;
}

// Entropy-coded data never holds FF D9: one after the scan's header is the picture's end.
bool endsAfter(const std::uint8_t* frame, std::size_t from, std::size_t size) {
    for (std::size_t i = size; i > from + 1; --i)
        if (frame[i - 1] == kEoi && frame[i - 2] == kMarkerPrefix)
            return true;
    return false;
}

} // namespace

std::optional<JpegLayout> readJpegLayout(const std::uint8_t* frame, std::size_t size) {
    if (!frame || size < 2 * kMarkerSize || frame[0] != kMarkerPrefix || frame[1] != kSoi)
        return std::nullopt;
    JpegLayout layout;
    bool frameHeaderSeen = false;
    std::size_t pos = kMarkerSize;
    while (pos < size) {
        if (frame[pos] != kMarkerPrefix)
            return std::nullopt;
        std::size_t markerAt = pos;
        // Fill bytes may stand before any marker; each is passed once, so a frame of nothing
        // else ends the walk at its end.
        while (pos < size && frame[pos] == kMarkerPrefix)
            ++pos;
        if (pos == size)
            return std::nullopt;
        std::uint8_t marker = frame[pos++];
        if (marker == kTem || (marker >= kFirstRst && marker <= kLastRst))
            continue;
        if (marker == kSoi || marker == kEoi || marker == 0)
            return std::nullopt;
        if (size - pos < kLengthSize)
            return std::nullopt;
        std::size_t length = be16(frame + pos);
        if (length < kLengthSize || length > size - pos)
            return std::nullopt;
        const std::uint8_t* payload = frame + pos + kLengthSize;
        std::size_t payloadLength = length - kLengthSize;
        if (marker == kSofBaseline || marker == kSofExtended || marker == kSofProgressive) {
            if (frameHeaderSeen || !readFrameHeader(payload, payloadLength, layout))
                return std::nullopt;
            frameHeaderSeen = true;
        } else if (isOtherSof(marker)) {
            return std::nullopt;
        } else if (marker == kDht) {
            layout.hasTables = true;
        } else if (marker == kSos) {
            // The marker's own fill bytes stay where they are: the tables go before them.
            layout.scanAt = markerAt;
            if (!frameHeaderSeen || !endsAfter(frame, pos + length, size))
                return std::nullopt;
            return layout;
        }
        pos += length;
    }
    return std::nullopt;
}

void addHuffmanTables(std::vector<std::uint8_t>& frame, const JpegLayout& layout) {
    if (layout.hasTables || layout.scanAt > frame.size())
        return;
    frame.insert(frame.begin() + static_cast<std::ptrdiff_t>(layout.scanAt),
                 standardTablesSegment(), standardTablesSegment() + standardTablesSegmentSize());
}

} // namespace kovra::pictures
