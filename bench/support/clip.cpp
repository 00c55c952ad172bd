#include "bench/support/clip.h"

#include <cstdio>
#include <cstring>

#include "bench/support/process.h"
#include "bench/support/work_folder.h"

namespace kovra::bench {

namespace {

constexpr std::uint64_t kChunkHeaderSize = 8;
constexpr std::uint64_t kListHeaderSize = 12;
constexpr std::uint64_t kRiffHeaderSize = 12;
constexpr std::uint64_t kFourccSize = 4;
constexpr std::uint64_t kWaveBlockAlign = 12; // in the audio strf (WAVEFORMATEX)

std::uint32_t le32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool is(const std::uint8_t* p, const char* fourcc) {
    return std::memcmp(p, fourcc, kFourccSize) == 0;
}

std::uint64_t padded(std::uint32_t size) {
    return size + (size & 1u);
}

class Walker {
  public:
    explicit Walker(Clip& clip) : clip_(clip), bytes_(clip.bytes) {}

    bool run() {
        if (bytes_.size() < kRiffHeaderSize || !is(bytes_.data(), "RIFF") ||
            !is(bytes_.data() + 8, "AVI "))
            return fail("not an AVI file");
        if (!walk(kRiffHeaderSize, bytes_.size(), &Walker::topLevel))
            return false;
        if (clip_.moviList == 0 || clip_.avihPayload == 0 || clip_.videoStrhPayload == 0 ||
            clip_.audioStrhPayload == 0 || clip_.audioBlockAlign == 0 || clip_.chunks.empty())
            return fail("headers or movi missing");
        return true;
    }

  private:
    using Visit = bool (Walker::*)(std::uint64_t pos, std::uint32_t size);

    bool fail(const char* reason) {
        std::fprintf(stderr, "clip: %s\n", reason);
        return false;
    }

    // Each chunk in [pos, end) is handed to visit; every one must fit.
    bool walk(std::uint64_t pos, std::uint64_t end, Visit visit) {
        while (pos < end) {
            if (end - pos < kChunkHeaderSize)
                return fail("a chunk header cut short");
            std::uint32_t size = le32(bytes_.data() + pos + kFourccSize);
            if (size > end - pos - kChunkHeaderSize)
                return fail("a chunk larger than what holds it");
            if (!(this->*visit)(pos, size))
                return false;
            pos += kChunkHeaderSize + padded(size);
        }
        return true;
    }

    bool isList(std::uint64_t pos, std::uint32_t size, const char* type) const {
        return is(bytes_.data() + pos, "LIST") && size >= kFourccSize &&
               is(bytes_.data() + pos + kChunkHeaderSize, type);
    }

    bool topLevel(std::uint64_t pos, std::uint32_t size) {
        std::uint64_t end = pos + kChunkHeaderSize + size;
        if (isList(pos, size, "hdrl"))
            return walk(pos + kListHeaderSize, end, &Walker::header);
        if (isList(pos, size, "movi")) {
            clip_.moviList = pos;
            return walk(pos + kListHeaderSize, end, &Walker::movi);
        }
        return true;
    }

    bool header(std::uint64_t pos, std::uint32_t size) {
        if (is(bytes_.data() + pos, "avih"))
            clip_.avihPayload = pos + kChunkHeaderSize;
        if (isList(pos, size, "strl"))
            return walk(pos + kListHeaderSize, pos + kChunkHeaderSize + size, &Walker::stream);
        return true;
    }

    bool stream(std::uint64_t pos, std::uint32_t size) {
        const std::uint8_t* payload = bytes_.data() + pos + kChunkHeaderSize;
        if (is(bytes_.data() + pos, "strh") && size >= kFourccSize) {
            streamIsAudio_ = is(payload, "auds");
            if (streamIsAudio_)
                clip_.audioStrhPayload = pos + kChunkHeaderSize;
            else if (is(payload, "vids"))
                clip_.videoStrhPayload = pos + kChunkHeaderSize;
        }
        if (is(bytes_.data() + pos, "strf") && streamIsAudio_ && size >= kWaveBlockAlign + 2)
            clip_.audioBlockAlign = static_cast<std::uint16_t>(payload[kWaveBlockAlign] |
                                                               payload[kWaveBlockAlign + 1] << 8);
        return true;
    }

    bool movi(std::uint64_t pos, std::uint32_t size) {
        const std::uint8_t* id = bytes_.data() + pos;
        bool video = is(id, "00dc"), audio = is(id, "01wb");
        if (!video && !audio)
            return fail("movi holds a chunk other than 00dc and 01wb");
        clip_.chunks.push_back({pos, size, video});
        return true;
    }

    Clip& clip_;
    const std::vector<std::uint8_t>& bytes_;
    bool streamIsAudio_ = false;
};

} // namespace

const char* const kClipDescription = "640x480 15 fps MJPEG, 8 kHz mono 16-bit PCM";

bool makeClip(const std::filesystem::path& path, int seconds, Clip& clip) {
    std::string length = std::to_string(seconds);
    Measured made =
        runProcess({"ffmpeg", "-v",    "error",      "-y",
                    "-f",     "lavfi", "-i",         "testsrc=size=640x480:rate=15",
                    "-f",     "lavfi", "-i",         "sine=frequency=440:sample_rate=8000",
                    "-t",     length,  "-c:v",       "mjpeg",
                    "-q:v",   "5",     "-c:a",       "pcm_s16le",
                    "-ac",    "1",     path.string()},
                   "/dev/null", "");
    if (!made.ok()) {
        std::fprintf(stderr, "clip: ffmpeg failed (exit %d)\n", made.exitCode);
        return false;
    }
    std::string text = readText(path);
    clip = Clip{};
    clip.bytes.assign(text.begin(), text.end());
    return Walker(clip).run();
}

} // namespace kovra::bench
