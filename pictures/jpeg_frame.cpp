#include "pictures/jpeg_frame.h"

#include "pictures/standard_tables.h"

namespace kovra::pictures {

namespace {

constexpr std::uint8_t kMarkerPrefix = 0xFF;
constexpr std::uint8_t kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kDht = 0xC4, kDqt = 0xDB;
constexpr std::uint8_t kTem = 0x01, kFirstRst = 0xD0, kLastRst = 0xD7;
// The frame kinds a decoder of ours reads: baseline, extended and progressive, Huffman-coded.
constexpr std::uint8_t kSofBaseline = 0xC0, kSofExtended = 0xC1, kSofProgressive = 0xC2;
// Other start-of-frame markers: lossless, hierarchical, arithmetic coding.
constexpr std::uint8_t kFirstSof = 0xC0, kLastSof = 0xCF, kJpg = 0xC8, kDac = 0xCC;
constexpr std::size_t kMarkerSize = 2, kLengthSize = 2;
// SOF payload: precision, height, width, component count, then 3 bytes a component.
constexpr std::size_t kSofPrecision = 0, kSofHeight = 1, kSofWidth = 3, kSofComponents = 5;
constexpr std::size_t kSofFixed = 6, kSofComponentSize = 3;
// Grey or YCbCr: what libjpeg-turbo and WIC both turn into RGB alike.
constexpr unsigned kGrey = 1, kColour = 3, kCmyk = 4;
constexpr unsigned kEightBits = 8;

JpegCheck refused(NoPicture why) {
    return {std::nullopt, why};
}

unsigned be16(const std::uint8_t* p) {
    return static_cast<unsigned>(p[0]) << 8 | p[1];
}

bool isOtherSof(std::uint8_t marker) {
    return marker >= kFirstSof && marker <= kLastSof && marker != kDht && marker != kJpg &&
           marker != kDac;
}

NoPicture readFrameHeader(const std::uint8_t* payload, std::size_t length, JpegLayout& layout) {
    if (length < kSofFixed)
        return NoPicture::DamagedMarkers;
    unsigned components = payload[kSofComponents];
    if (length < kSofFixed + components * kSofComponentSize)
        return NoPicture::DamagedMarkers;
    if (components == kCmyk)
        return NoPicture::Cmyk;
    if (components != kGrey && components != kColour)
        return NoPicture::ComponentCount;
    if (payload[kSofPrecision] != kEightBits)
        return NoPicture::NotEightBit;
    layout.height = be16(payload + kSofHeight);
    layout.width = be16(payload + kSofWidth);
    if (layout.width == 0 || layout.height == 0)
        return NoPicture::ZeroSize;
    if (layout.width > kMostSide || layout.height > kMostSide)
        return NoPicture::TooLarge;
    return NoPicture::None;
}

// Entropy-coded data never holds FF D9: one after the scan's header is the picture's end.
bool endsAfter(const std::uint8_t* frame, std::size_t from, std::size_t size) {
    for (std::size_t i = size; i > from + 1; --i)
        if (frame[i - 1] == kEoi && frame[i - 2] == kMarkerPrefix)
            return true;
    return false;
}

} // namespace

JpegCheck readJpegLayout(const std::uint8_t* frame, std::size_t size) {
    if (!frame || size < kMarkerSize || frame[0] != kMarkerPrefix || frame[1] != kSoi)
        return refused(NoPicture::NotJpeg);
    JpegLayout layout;
    bool frameHeaderSeen = false, quantTableSeen = false;
    std::size_t pos = kMarkerSize;
    while (pos < size) {
        if (frame[pos] != kMarkerPrefix)
            return refused(NoPicture::DamagedMarkers);
        std::size_t markerAt = pos;
        // Fill bytes may stand before any marker; each is passed once, so a frame of nothing
        // else ends the walk at its end.
        while (pos < size && frame[pos] == kMarkerPrefix)
            ++pos;
        if (pos == size)
            return refused(NoPicture::CutShort);
        std::uint8_t marker = frame[pos++];
        if (marker == kTem || (marker >= kFirstRst && marker <= kLastRst))
            continue;
        if (marker == kSoi || marker == kEoi || marker == 0)
            return refused(NoPicture::DamagedMarkers);
        if (size - pos < kLengthSize)
            return refused(NoPicture::CutShort);
        std::size_t length = be16(frame + pos);
        if (length < kLengthSize)
            return refused(NoPicture::DamagedMarkers);
        if (length > size - pos)
            return refused(NoPicture::CutShort);
        const std::uint8_t* payload = frame + pos + kLengthSize;
        std::size_t payloadLength = length - kLengthSize;
        if (marker == kSofBaseline || marker == kSofExtended || marker == kSofProgressive) {
            if (frameHeaderSeen)
                return refused(NoPicture::DamagedMarkers);
            NoPicture why = readFrameHeader(payload, payloadLength, layout);
            if (why != NoPicture::None)
                return refused(why);
            frameHeaderSeen = true;
        } else if (isOtherSof(marker)) {
            return refused(NoPicture::OtherCoding);
        } else if (marker == kDht) {
            layout.hasTables = true;
        } else if (marker == kDqt) {
            quantTableSeen = true;
        } else if (marker == kSos) {
            // The marker's own fill bytes stay where they are: the tables go before them.
            layout.scanAt = markerAt;
            if (!frameHeaderSeen)
                return refused(NoPicture::DamagedMarkers);
            // Motion JPEG leaves out only the Huffman tables; without these no codec decodes.
            if (!quantTableSeen)
                return refused(NoPicture::NoQuantTable);
            if (!endsAfter(frame, pos + length, size))
                return refused(NoPicture::CutShort);
            return {layout, NoPicture::None};
        }
        pos += length;
    }
    return refused(NoPicture::CutShort);
}

void addHuffmanTables(std::vector<std::uint8_t>& frame, const JpegLayout& layout) {
    if (layout.hasTables || layout.scanAt > frame.size())
        return;
    frame.insert(frame.begin() + static_cast<std::ptrdiff_t>(layout.scanAt),
                 standardTablesSegment(), standardTablesSegment() + standardTablesSegmentSize());
}

} // namespace kovra::pictures
