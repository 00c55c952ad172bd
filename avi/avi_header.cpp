#include "avi/avi_header.h"

namespace kovra::avi {

namespace {

struct ChunkAt {
    FourCC id = 0;
    std::uint32_t size = 0;
    FourCC listType = 0; // for LIST and RIFF, when the 4 bytes are there
    std::uint64_t payload = 0, end = 0, next = 0;
};

// The chunk header at pos, with its list type when it has one (read even where a zeroed
// size leaves no room for it); false when fewer than a
// header's bytes are left before limit. Whether the chunk ends by limit is the caller's check.
bool headerAt(SourceReader& reader, std::uint64_t pos, std::uint64_t limit, ChunkAt& chunk) {
    if (pos >= limit || limit - pos < kChunkHeaderSize)
        return false;
    const std::uint8_t* h = reader.view(pos, kListHeaderSize);
    if (!h && !(h = reader.view(pos, kChunkHeaderSize)))
        return false;
    chunk.id = le32(h);
    chunk.size = le32(h + kFourccSize);
    chunk.payload = pos + kChunkHeaderSize;
    chunk.end = chunk.payload + chunk.size;
    chunk.next = chunk.payload + padded(chunk.size);
    bool isList = chunk.id == kList || chunk.id == kRiff;
    chunk.listType = isList && limit - pos >= kListHeaderSize ? le32(h + kChunkHeaderSize) : 0;
    return true;
}

// ffmpeg reads no more of an IDIT than this; the date is at its start.
constexpr std::size_t kMostDateBytes = 64;

void keepChunk(std::vector<HeaderChunk>& kept, std::uint64_t pos, const ChunkAt& chunk) {
    if (kept.size() < kMostCopiedChunks && chunk.size <= kMostCopiedChunkSize)
        kept.push_back({pos, chunk.size});
}

void readRecordingDate(SourceReader& reader, std::uint64_t pos, const ChunkAt& idit,
                       AviHeader& header) {
    if (header.idit.size != 0)
        return;
    header.idit = {pos, idit.size};
    std::size_t n = idit.size < kMostDateBytes ? idit.size : kMostDateBytes;
    if (const std::uint8_t* text = reader.view(idit.payload, n))
        header.recorded = parseRecordingDate(reinterpret_cast<const char*>(text), n);
}

void readStreamFormat(SourceReader& reader, const ChunkAt& strf, StreamHeader& stream) {
    if (stream.type == kVids && strf.size >= kBmiMinSize) {
        const std::uint8_t* b = reader.view(strf.payload, kBmiMinSize);
        if (!b)
            return;
        stream.hasBitmapInfo = true;
        stream.width = le32(b + kBmiWidth);
        // Negative for a top-down picture.
        std::int64_t height = static_cast<std::int32_t>(le32(b + kBmiHeight));
        stream.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
        stream.compression = le32(b + kBmiCompression);
    } else if (stream.type == kAuds && strf.size >= kWfxMinSize) {
        const std::uint8_t* w = reader.view(strf.payload, kWfxMinSize);
        if (!w)
            return;
        stream.hasWaveFormat = true;
        stream.audio.formatTag = le16(w + kWfxFormatTag);
        stream.audio.channels = le16(w + kWfxChannels);
        stream.audio.samplesPerSecond = le32(w + kWfxSamplesPerSecond);
        stream.audio.bitsPerSample = le16(w + kWfxBitsPerSample);
        stream.blockAlign = le16(w + kWfxBlockAlign);
    }
}

bool readStrl(SourceReader& reader, std::uint64_t from, std::uint64_t to, AviHeader& header) {
    StreamHeader stream;
    bool haveStrh = false, haveStrf = false, formatRead = false;
    ChunkAt strf, chunk;
    for (std::uint64_t pos = from; headerAt(reader, pos, to, chunk); pos = chunk.next) {
        if (chunk.end > to)
            return false;
        if (chunk.id == kStrh && !haveStrh) {
            if (chunk.size < kStrhMinSize)
                return false;
            const std::uint8_t* s = reader.view(chunk.payload, kStrhMinSize);
            if (!s)
                return false;
            haveStrh = true;
            stream.type = le32(s + kStrhType);
            stream.handler = le32(s + kStrhHandler);
            stream.scale = le32(s + kStrhScale);
            stream.rate = le32(s + kStrhRate);
            stream.length = le32(s + kStrhLength);
            stream.sampleSize = le32(s + kStrhSampleSize);
            stream.strhPayload = chunk.payload;
            stream.strhSize = chunk.size;
        } else if (chunk.id == kStrf && !haveStrf) {
            haveStrf = true;
            strf = chunk;
            // Read while its bytes are at hand, where the stream's type already says what they
            // are: the chunks after it (vprp, JUNK) may take the reader a window further.
            if (haveStrh) {
                readStreamFormat(reader, strf, stream);
                formatRead = true;
            }
        } else if (chunk.id == kIndx) {
            header.openDmlHeaders.push_back(pos);
        } else if (chunk.id != kJunk && chunk.id != kStrh && chunk.id != kStrf) {
            keepChunk(stream.otherChunks, pos, chunk);
        }
    }
    if (!haveStrh)
        return false;
    if (haveStrf) {
        stream.hasFormat = true;
        stream.formatPayload = strf.payload;
        stream.formatSize = strf.size;
        if (!formatRead)
            readStreamFormat(reader, strf, stream);
    }
    header.streams.push_back(stream);
    return true;
}

bool readHdrl(SourceReader& reader, std::uint64_t from, std::uint64_t to, AviHeader& header) {
    bool haveAvih = false;
    ChunkAt chunk;
    for (std::uint64_t pos = from; headerAt(reader, pos, to, chunk); pos = chunk.next) {
        if (chunk.end > to)
            return false;
        if (chunk.id == kAvih && !haveAvih) {
            if (chunk.size < kAvihMinSize)
                return false;
            const std::uint8_t* a = reader.view(chunk.payload, kAvihMinSize);
            if (!a)
                return false;
            haveAvih = true;
            header.avihPayload = chunk.payload;
            header.avihSize = chunk.size;
            header.microsecondsPerFrame = le32(a + kAvihMicrosecondsPerFrame);
            header.flags = le32(a + kAvihFlags);
            header.totalFrames = le32(a + kAvihTotalFrames);
            header.streamsDeclared = le32(a + kAvihStreams);
            header.width = le32(a + kAvihWidth);
            header.height = le32(a + kAvihHeight);
        } else if (chunk.id == kList && chunk.listType == kStrl) {
            if (header.streams.size() == kMaxStreams ||
                !readStrl(reader, chunk.payload + kFourccSize, chunk.end, header))
                return false;
        } else if (chunk.id == kList && chunk.listType == kOdml) {
            header.openDmlHeaders.push_back(pos);
        } else if (chunk.id != kJunk && chunk.id != kAvih && chunk.id != kIndx &&
                   chunk.id != kDmlh) {
            if (chunk.id == kIdit)
                readRecordingDate(reader, pos, chunk, header);
            keepChunk(header.otherHdrlChunks, pos, chunk);
        }
    }
    return haveAvih;
}

Signature signatureOf(FourCC code) {
    if (code == kMars)
        return Signature::Mars;
    if (code == kRiff)
        return Signature::Riff;
    return Signature::Other;
}

} // namespace

bool readHeader(SourceReader& reader, AviHeader& header, FindingKind& failure) {
    const std::uint8_t* riff = reader.view(0, kListHeaderSize);
    if (!riff) {
        if (const std::uint8_t* sig = reader.view(0, kFourccSize))
            header.signature = signatureOf(le32(sig));
        failure = FindingKind::NotAvi;
        return false;
    }
    header.signature = signatureOf(le32(riff));
    header.riffSize = le32(riff + kSizeFieldOffset);
    if (le32(riff + kFormOffset) != kAviForm) {
        failure = FindingKind::NotAvi;
        return false;
    }
    // The RIFF size may be stale: the top level is walked up to the end of the file.
    bool haveHdrl = false;
    ChunkAt chunk;
    for (std::uint64_t pos = kListHeaderSize; headerAt(reader, pos, reader.size(), chunk);
         pos = chunk.next) {
        if (chunk.id == kList && chunk.listType == kMovi) {
            if (!haveHdrl)
                break;
            header.moviList = pos;
            header.moviSize = chunk.size;
            for (const StreamHeader& stream : header.streams)
                if (stream.type == kVids) {
                    header.videoStream = static_cast<unsigned>(&stream - header.streams.data());
                    return true;
                }
            failure = FindingKind::NoVideoStream;
            return false;
        }
        if (chunk.end > reader.size() || !isPrintableFourcc(chunk.id))
            break;
        if (chunk.id == kList && chunk.listType == kHdrl && !haveHdrl) {
            if (!readHdrl(reader, chunk.payload + kFourccSize, chunk.end, header)) {
                failure = FindingKind::NoHeader;
                return false;
            }
            haveHdrl = true;
            continue;
        }
        if (chunk.id == kIdit)
            readRecordingDate(reader, pos, chunk, header);
        bool kept =
            chunk.id != kJunk && chunk.id != kIdx1 && chunk.id != kRiff && chunk.listType != kHdrl;
        if (haveHdrl && kept)
            keepChunk(header.otherTopChunks, pos, chunk);
    }
    failure = haveHdrl ? FindingKind::NoMovi : FindingKind::NoHeader;
    return false;
}

} // namespace kovra::avi
