#include "tests/avi/avi_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kovra::avi::test {

namespace {

constexpr std::size_t kHeader = 8, kEntry = 16;

void appendLe32(Bytes& bytes, std::uint32_t value) {
    bytes.resize(bytes.size() + 4);
    putLe32(bytes, bytes.size() - 4, value);
}

} // namespace

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes corpusVideo(const std::string& name) {
    Bytes bytes = readFile(std::string(KOVRA_AVI_CORPUS) + "/" + name + ".avi");
    EXPECT_FALSE(bytes.empty()) << "corpus video " << name << " is missing";
    return bytes;
}

std::size_t findFourcc(const Bytes& bytes, const char* fourcc, std::size_t from) {
    for (std::size_t i = from; i + 4 <= bytes.size(); ++i)
        if (std::memcmp(bytes.data() + i, fourcc, 4) == 0)
            return i;
    ADD_FAILURE() << fourcc << " not found";
    return 0;
}

std::uint32_t getLe32(const Bytes& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | bytes.at(offset + i);
    return value;
}

void putLe32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<IndexedChunk> indexedChunks(const Bytes& clip) {
    std::size_t moviFourcc = findFourcc(clip, "movi");
    std::size_t idx1 = findFourcc(clip, "idx1", moviFourcc);
    std::vector<IndexedChunk> chunks;
    for (std::size_t e = idx1 + kHeader; e + kEntry <= idx1 + kHeader + getLe32(clip, idx1 + 4);
         e += kEntry)
        chunks.push_back({moviFourcc + getLe32(clip, e + 8), getLe32(clip, e + 12),
                          clip[e + 2] == 'd' && clip[e + 3] == 'c'});
    return chunks;
}

std::vector<Rebuilt> asIndexed(const Bytes& clip) {
    std::vector<IndexedChunk> indexed = indexedChunks(clip);
    std::vector<Rebuilt> chunks;
    for (std::size_t i = 0; i < indexed.size(); ++i)
        chunks.push_back({i, indexed[i].size});
    return chunks;
}

Bytes rebuildMovi(const Bytes& clip, const std::vector<Rebuilt>& chunks, bool padOdd,
                  bool withIndex) {
    std::vector<IndexedChunk> source = indexedChunks(clip);
    std::size_t moviList = findFourcc(clip, "movi") - kHeader;
    Bytes out(clip.begin(), clip.begin() + static_cast<std::ptrdiff_t>(moviList + 12));
    Bytes index;
    for (const Rebuilt& r : chunks) {
        const IndexedChunk& from = source.at(r.sourceChunk);
        appendLe32(index, getLe32(clip, from.offset));
        appendLe32(index, 0x10);
        appendLe32(index, static_cast<std::uint32_t>(out.size() - (moviList + kHeader)));
        appendLe32(index, static_cast<std::uint32_t>(r.size));
        out.insert(out.end(), clip.begin() + static_cast<std::ptrdiff_t>(from.offset),
                   clip.begin() + static_cast<std::ptrdiff_t>(from.offset + kHeader));
        putLe32(out, out.size() - 4, static_cast<std::uint32_t>(r.size));
        std::size_t payload = from.offset + kHeader;
        out.insert(out.end(), clip.begin() + static_cast<std::ptrdiff_t>(payload),
                   clip.begin() + static_cast<std::ptrdiff_t>(payload + r.size));
        if (padOdd && r.size % 2 == 1)
            out.push_back(0);
    }
    putLe32(out, moviList + 4, static_cast<std::uint32_t>(out.size() - (moviList + kHeader)));
    if (withIndex) {
        out.insert(out.end(), {'i', 'd', 'x', '1'});
        appendLe32(out, static_cast<std::uint32_t>(index.size()));
        out.insert(out.end(), index.begin(), index.end());
    }
    putLe32(out, 4, static_cast<std::uint32_t>(out.size() - kHeader));
    return out;
}

Repaired repairBytes(const Bytes& input) {
    MemorySource source(input);
    VideoReading reading = readVideo(source, Chunks::Keep);
    MemoryOutput output({&source});
    Repaired repaired{reading.report, writeRepair(reading, output), {}};
    repaired.bytes = output.take();
    return repaired;
}

VideoReport inspectBytes(const Bytes& input) {
    MemorySource source(input);
    return inspect(source);
}

bool MadeUpSource::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (offset > size_ || n > size_ - offset)
        return false;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::memset(out, 0, n);
    // The pieces lie in order: from the last one starting at or before offset.
    auto it =
        std::upper_bound(pieces_.begin(), pieces_.end(), offset,
                         [](std::uint64_t at, const auto& piece) { return at < piece.first; });
    for (it = it == pieces_.begin() ? it : it - 1; it != pieces_.end() && it->first < offset + n;
         ++it) {
        const auto& [at, bytes] = *it;
        std::uint64_t from = std::max(at, offset), to = std::min(at + bytes.size(), offset + n);
        if (from < to)
            std::memcpy(out + (from - offset), bytes.data() + (from - at), to - from);
    }
    return true;
}

void MadeUpSource::append(const Bytes& bytes) {
    pieces_.push_back({size_, bytes});
    size_ += bytes.size();
}

void MadeUpSource::appendFrame(std::uint32_t size) {
    append(header("00dc", size));
    append({0xFF, 0xD8});
    size_ += size - 4;
    append({0xFF, 0xD9});
}

Bytes MadeUpSource::header(const char* id, std::uint32_t size, const char* type) {
    Bytes b(id, id + 4);
    b.resize(8);
    putLe32(b, 4, size);
    if (type)
        b.insert(b.end(), type, type + 4);
    return b;
}

const Finding* findingOf(const VideoReport& report, FindingKind kind) {
    auto it = std::find_if(report.findings.begin(), report.findings.end(),
                           [&](const Finding& f) { return f.kind == kind; });
    return it == report.findings.end() ? nullptr : &*it;
}

std::string caseName(const char* description) {
    std::string name;
    for (const char* c = description; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

} // namespace kovra::avi::test
