#include "bench/support/cut_recording.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace kovra::bench {

namespace {

constexpr std::uint64_t kChunkHeaderSize = 8;
constexpr std::uint64_t kListHeaderSize = 12;
constexpr std::uint64_t kSizeField = 4;        // after a chunk's fourcc
constexpr std::uint64_t kAvihTotalFrames = 16; // in avih's payload
constexpr std::uint64_t kStrhLength = 32;      // in strh's payload
constexpr std::size_t kSignatureSize = 4;

std::uint64_t span(const ClipChunk& chunk) {
    return kChunkHeaderSize + chunk.size + (chunk.size & 1u);
}

void putLe32(std::vector<std::uint8_t>& bytes, std::uint64_t at, std::uint64_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// What goes into the file: whole repetitions of the clip's movi, then single chunks, the last
// of them cut.
struct Plan {
    std::uint64_t repetitions = 0;
    std::size_t extraChunks = 0; // after the repetitions, the cut one included
    std::uint64_t videoChunks = 0, audioBytes = 0, moviBytes = 0;
    bool cutIsVideo = false;

    void add(const ClipChunk& chunk) {
        moviBytes += span(chunk);
        if (chunk.video)
            ++videoChunks;
        else
            audioBytes += chunk.size;
        cutIsVideo = chunk.video;
    }
};

Plan plan(const Clip& clip, std::uint64_t headerEnd, std::uint64_t target) {
    Plan p;
    Plan one;
    for (const ClipChunk& chunk : clip.chunks)
        one.add(chunk);
    // One repetition fewer than fits, so that the single chunks always end past the target.
    if (target > headerEnd + one.moviBytes)
        p.repetitions = (target - headerEnd) / one.moviBytes - 1;
    p.videoChunks = p.repetitions * one.videoChunks;
    p.audioBytes = p.repetitions * one.audioBytes;
    p.moviBytes = p.repetitions * one.moviBytes;
    while (headerEnd + p.moviBytes < target || p.extraChunks == 0)
        p.add(clip.chunks[p.extraChunks++ % clip.chunks.size()]);
    return p;
}

} // namespace

bool writeCutRecording(const Clip& clip, std::uint64_t target, const std::filesystem::path& path,
                       CutRecording& written, const std::filesystem::path& twin) {
    const std::uint64_t headerEnd = clip.moviList + kListHeaderSize;
    Plan p = plan(clip, headerEnd, target);

    // The headers as the recorder would have closed the file, had the power stayed on.
    std::vector<std::uint8_t> header(clip.bytes.begin(), clip.bytes.begin() + headerEnd);
    putLe32(header, kSizeField, headerEnd + p.moviBytes - kChunkHeaderSize);
    putLe32(header, clip.moviList + kSizeField, p.moviBytes + kSizeField);
    putLe32(header, clip.avihPayload + kAvihTotalFrames, p.videoChunks);
    putLe32(header, clip.videoStrhPayload + kStrhLength, p.videoChunks);
    putLe32(header, clip.audioStrhPayload + kStrhLength, p.audioBytes / clip.audioBlockAlign);

    // The clip's movi chunks lie end to end: one repetition is a single run of its bytes.
    const ClipChunk& first = clip.chunks.front();
    const std::uint8_t* repetition = clip.bytes.data() + first.offset;
    std::uint64_t repetitionBytes =
        clip.chunks.back().offset + span(clip.chunks.back()) - first.offset;

    std::ofstream mars(path, std::ios::binary | std::ios::trunc);
    std::ofstream riff;
    if (!twin.empty())
        riff.open(twin, std::ios::binary | std::ios::trunc);
    auto write = [&](const std::uint8_t* data, std::uint64_t n) {
        mars.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
        if (!twin.empty())
            riff.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
        written.bytes += n;
    };
    written = CutRecording{};
    mars.write("MARS", kSignatureSize);
    if (!twin.empty())
        riff.write("RIFF", kSignatureSize);
    written.bytes = kSignatureSize;
    write(header.data() + kSignatureSize, header.size() - kSignatureSize);
    for (std::uint64_t r = 0; r < p.repetitions; ++r)
        write(repetition, repetitionBytes);
    for (std::size_t i = 0; i < p.extraChunks; ++i) {
        const ClipChunk& chunk = clip.chunks[i % clip.chunks.size()];
        bool last = i + 1 == p.extraChunks;
        write(clip.bytes.data() + chunk.offset,
              last ? kChunkHeaderSize + chunk.size / 2 : span(chunk));
    }
    written.chunks = p.repetitions * clip.chunks.size() + p.extraChunks - 1;
    written.frames = p.videoChunks - (p.cutIsVideo ? 1 : 0);
    mars.close();
    if (!twin.empty())
        riff.close();
    if (!mars || (!twin.empty() && !riff)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace kovra::bench
