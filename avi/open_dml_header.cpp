// The header of an OpenDML output, rebuilt rather than copied in place: each strl gains its
// super index, hdrl gains LIST odml, and the JUNK a writer left for them goes.
#include "avi/open_dml.h"

namespace kovra::avi {

namespace {

constexpr std::uint8_t kPad = 0;

std::uint64_t copiedSize(std::uint32_t size) {
    return kChunkHeaderSize + padded(size);
}
std::uint64_t copiedSize(const std::vector<HeaderChunk>& chunks) {
    std::uint64_t size = 0;
    for (const HeaderChunk& chunk : chunks)
        size += copiedSize(chunk.size);
    return size;
}
std::uint64_t superIndexSize(std::uint64_t parts) {
    return kChunkHeaderSize + kSuperIndexHeaderSize + parts * kSuperIndexEntrySize;
}
std::uint64_t odmlPayload() {
    return kFourccSize + kChunkHeaderSize + kDmlhSize;
}
std::uint64_t strlPayload(const StreamHeader& stream, std::uint64_t parts) {
    return kFourccSize + copiedSize(stream.strhSize) +
           (stream.hasFormat ? copiedSize(stream.formatSize) : 0) + superIndexSize(parts) +
           copiedSize(stream.otherChunks);
}
std::uint64_t hdrlPayload(const AviHeader& header, std::uint64_t parts) {
    std::uint64_t size = kFourccSize + copiedSize(header.avihSize);
    for (const StreamHeader& stream : header.streams)
        size += kChunkHeaderSize + strlPayload(stream, parts);
    return size + kChunkHeaderSize + odmlPayload() + copiedSize(header.otherHdrlChunks);
}

bool listHeader(OutputPieces& out, FourCC id, std::uint64_t size, FourCC type) {
    return out.le32(id) && out.le32(static_cast<std::uint32_t>(size)) && out.le32(type);
}

// A chunk of source 0's header as it lies, its pad byte written rather than trusted.
bool copyChunk(OutputPieces& out, const HeaderChunk& chunk) {
    return out.from(0, chunk.offset, kChunkHeaderSize + std::uint64_t{chunk.size}) &&
           ((chunk.size & 1) == 0 || out.bytes(&kPad, 1));
}
// Copies the chunks; the one at source offset `watched` lands where `landed` says.
bool copyChunks(OutputPieces& out, const std::vector<HeaderChunk>& chunks,
                std::uint64_t watched = ~std::uint64_t{0}, std::uint64_t* landed = nullptr) {
    for (const HeaderChunk& chunk : chunks) {
        if (landed && chunk.offset == watched)
            *landed = out.size();
        if (!copyChunk(out, chunk))
            return false;
    }
    return true;
}

// Where stream's ix## of a part lies: after the part's chunks and the other streams' before it.
std::uint64_t standardIndexAt(const RiffPart& part, std::size_t stream) {
    std::uint64_t at = part.moviFourcc + kFourccSize + part.tally.writtenBytes;
    for (std::size_t s = 0; s < stream; ++s)
        at += kChunkHeaderSize + kStandardIndexHeaderSize +
              part.tally.streams[s].chunks * kStandardIndexEntrySize;
    return at;
}

bool superIndex(OutputPieces& out, const AviHeader& header, const OutputLayout& layout,
                std::size_t s) {
    std::uint8_t head[kSuperIndexHeaderSize] = {};
    putLe16(head, kSuperIndexLongs);
    head[3] = kIndexOfIndexes;
    putLe32(head + 4, static_cast<std::uint32_t>(layout.parts.size()));
    putLe32(head + 8, makeDataId(static_cast<unsigned>(s), layout.kinds[s]));
    if (!out.le32(kIndx) ||
        !out.le32(
            static_cast<std::uint32_t>(superIndexSize(layout.superEntries) - kChunkHeaderSize)) ||
        !out.bytes(head, sizeof head))
        return false;
    for (std::uint64_t k = 0; k < layout.superEntries; ++k) {
        std::uint8_t entry[kSuperIndexEntrySize] = {};
        if (k < layout.parts.size()) {
            const RiffPart& part = layout.parts[k];
            const StreamTally& tally = part.tally.streams[s];
            putLe64(entry, standardIndexAt(part, s));
            putLe32(entry + 8,
                    static_cast<std::uint32_t>(kChunkHeaderSize + kStandardIndexHeaderSize +
                                               tally.chunks * kStandardIndexEntrySize));
            putLe32(entry + 12, static_cast<std::uint32_t>(strhLength(header.streams[s], tally)));
        }
        if (!out.bytes(entry, sizeof entry))
            return false;
    }
    return true;
}

bool odml(OutputPieces& out, const OutputLayout& layout) {
    std::uint8_t dmlh[kDmlhSize] = {};
    putLe32(dmlh, static_cast<std::uint32_t>(layout.frames));
    return listHeader(out, kList, odmlPayload(), kOdml) && out.le32(kDmlh) && out.le32(kDmlhSize) &&
           out.bytes(dmlh, sizeof dmlh);
}

} // namespace

std::uint64_t rebuiltHeaderSize(const AviHeader& header, std::uint64_t parts) {
    return kChunkHeaderSize + hdrlPayload(header, parts) + copiedSize(header.otherTopChunks);
}

bool writeRebuiltHeader(OutputPieces& out, const AviHeader& h, const OutputLayout& layout,
                        std::vector<Patch>& patches, std::uint64_t& iditAt) {
    iditAt = 0;
    const RiffPart& first = layout.parts.front();
    if (!listHeader(out, kRiff, first.riffSize, kAviForm) ||
        !listHeader(out, kList, hdrlPayload(h, layout.superEntries), kHdrl))
        return false;
    std::uint64_t avih = out.size() + kChunkHeaderSize;
    if (!copyChunk(out, {h.avihPayload - kChunkHeaderSize, h.avihSize}))
        return false;
    // The first RIFF's frames, as a reader that knows only idx1 finds them; dmlh has them all.
    patches = {
        {avih + kAvihFlags, h.flags | kAvifHasIndex},
        {avih + kAvihTotalFrames,
         static_cast<std::uint32_t>(first.tally.streams[h.videoStream].chunks)},
        {avih + kAvihStreams, static_cast<std::uint32_t>(h.streams.size())},
        {avih + kAvihSuggestedBuffer, layout.tally.largest},
    };
    for (std::size_t s = 0; s < h.streams.size(); ++s) {
        const StreamHeader& stream = h.streams[s];
        if (!listHeader(out, kList, strlPayload(stream, layout.superEntries), kStrl))
            return false;
        std::uint64_t strh = out.size() + kChunkHeaderSize;
        if (!copyChunk(out, {stream.strhPayload - kChunkHeaderSize, stream.strhSize}) ||
            (stream.hasFormat &&
             !copyChunk(out, {stream.formatPayload - kChunkHeaderSize, stream.formatSize})) ||
            !superIndex(out, h, layout, s) || !copyChunks(out, stream.otherChunks))
            return false;
        const StreamTally& tally = layout.tally.streams[s];
        patches.push_back(
            {strh + kStrhLength, static_cast<std::uint32_t>(strhLength(stream, tally))});
        patches.push_back({strh + kStrhSuggestedBuffer, tally.largest});
        if (s == h.videoStream)
            addVideoClock(patches, h, strh);
    }
    std::uint64_t watched = h.idit.size != 0 ? h.idit.offset : ~std::uint64_t{0};
    return odml(out, layout) && copyChunks(out, h.otherHdrlChunks, watched, &iditAt) &&
           copyChunks(out, h.otherTopChunks, watched, &iditAt);
}

} // namespace kovra::avi
