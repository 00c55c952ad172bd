// The AVI file's building blocks: fourcc codes, field offsets inside the headers, and
// little-endian access. Names follow the format's public documentation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kovra::avi {

using FourCC = std::uint32_t;

constexpr FourCC makeFourcc(const char (&text)[5]) {
    return static_cast<FourCC>(static_cast<std::uint8_t>(text[0])) |
           static_cast<FourCC>(static_cast<std::uint8_t>(text[1])) << 8 |
           static_cast<FourCC>(static_cast<std::uint8_t>(text[2])) << 16 |
           static_cast<FourCC>(static_cast<std::uint8_t>(text[3])) << 24;
}

constexpr FourCC kRiff = makeFourcc("RIFF");
constexpr FourCC kMars = makeFourcc("MARS");
constexpr FourCC kAviForm = makeFourcc("AVI ");
constexpr FourCC kAvixForm = makeFourcc("AVIX");
constexpr FourCC kList = makeFourcc("LIST");
constexpr FourCC kHdrl = makeFourcc("hdrl");
constexpr FourCC kStrl = makeFourcc("strl");
constexpr FourCC kOdml = makeFourcc("odml");
constexpr FourCC kMovi = makeFourcc("movi");
constexpr FourCC kRec = makeFourcc("rec ");
constexpr FourCC kIdx1 = makeFourcc("idx1");
constexpr FourCC kJunk = makeFourcc("JUNK");
constexpr FourCC kAvih = makeFourcc("avih");
constexpr FourCC kStrh = makeFourcc("strh");
constexpr FourCC kStrf = makeFourcc("strf");
constexpr FourCC kIndx = makeFourcc("indx");
constexpr FourCC kIdit = makeFourcc("IDIT");
constexpr FourCC kDmlh = makeFourcc("dmlh");
constexpr FourCC kVids = makeFourcc("vids");
constexpr FourCC kAuds = makeFourcc("auds");

constexpr std::size_t kFourccSize = 4;
constexpr std::size_t kChunkHeaderSize = 8; // fourcc, size
constexpr std::size_t kListHeaderSize = 12; // "LIST" or "RIFF", size, list type
constexpr std::size_t kIndexEntrySize = 16; // chunk id, flags, offset, size
constexpr std::uint64_t kSizeFieldOffset = 4;
constexpr std::uint64_t kFormOffset = 8;
// Offsets inside an idx1 entry.
constexpr std::size_t kEntryId = 0, kEntryFlags = 4, kEntryOffset = 8, kEntrySize = 12;

// avih payload
constexpr std::size_t kAvihMicrosecondsPerFrame = 0;
constexpr std::size_t kAvihFlags = 12;
constexpr std::size_t kAvihTotalFrames = 16;
constexpr std::size_t kAvihStreams = 24;
constexpr std::size_t kAvihSuggestedBuffer = 28;
constexpr std::size_t kAvihWidth = 32;
constexpr std::size_t kAvihHeight = 36;
constexpr std::size_t kAvihMinSize = 40;
constexpr std::uint32_t kAvifHasIndex = 0x10;

// strh payload
constexpr std::size_t kStrhType = 0;
constexpr std::size_t kStrhHandler = 4;
constexpr std::size_t kStrhScale = 20;
constexpr std::size_t kStrhRate = 24;
constexpr std::size_t kStrhLength = 32;
constexpr std::size_t kStrhSuggestedBuffer = 36;
constexpr std::size_t kStrhSampleSize = 44;
constexpr std::size_t kStrhMinSize = 48;

// strf of a video stream: BITMAPINFOHEADER
constexpr std::size_t kBmiWidth = 4;
constexpr std::size_t kBmiHeight = 8;
constexpr std::size_t kBmiCompression = 16;
constexpr std::size_t kBmiMinSize = 20;

// strf of an audio stream: WAVEFORMATEX
constexpr std::size_t kWfxFormatTag = 0;
constexpr std::size_t kWfxChannels = 2;
constexpr std::size_t kWfxSamplesPerSecond = 4;
constexpr std::size_t kWfxBlockAlign = 12;
constexpr std::size_t kWfxBitsPerSample = 14;
constexpr std::size_t kWfxMinSize = 16;

constexpr std::uint32_t kIndexKeyFrame = 0x10;
// Data chunk ids carry a two-digit stream number.
constexpr std::size_t kMaxStreams = 100;
// The largest file FAT32 holds, and so the largest repair we write.
constexpr std::uint64_t kMaxOutputSize = 0xFFFFFFFFull;

inline std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline void putLe32(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
inline void putLe16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void putLe64(std::uint8_t* p, std::uint64_t value) {
    putLe32(p, static_cast<std::uint32_t>(value));
    putLe32(p + 4, static_cast<std::uint32_t>(value >> 32));
}

// A chunk's payload is followed by a pad byte when its size is odd.
inline std::uint64_t padded(std::uint64_t size) {
    return size + (size & 1);
}

bool isPrintableFourcc(FourCC code);
// The code's four characters with trailing spaces and NULs removed; empty when not printable.
std::string fourccText(FourCC code);

// A data chunk id: two digits, then "dc", "db", "wb" or "tx".
enum class DataKind : std::uint8_t { Compressed, Uncompressed, Wave, Text };
bool parseDataId(FourCC code, std::size_t streamCount, unsigned& stream, DataKind& kind);
FourCC makeDataId(unsigned stream, DataKind kind);
// ix## (OpenDML index) and ##pc (palette change): known in movi, never copied.
bool isSkippedMoviChunk(FourCC code);

} // namespace kovra::avi
