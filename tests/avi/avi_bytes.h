// The fuzzer's seed videos as test inputs, and the byte edits the tests damage them with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "avi/finding.h"
#include "avi/output_sink.h"
#include "avi/video_reading.h"
#include "avi/video_report.h"
#include "avi/writer.h"

namespace kovra::avi::test {

using Bytes = std::vector<std::uint8_t>;

// fuzz/corpus/avi/<name>.avi: a 64x48 MJPEG clip of 4 frames with 8 kHz mono PCM, made by
// ffmpeg; "sound_mars" is the recorder's kind of file.
Bytes corpusVideo(const std::string& name);
Bytes readFile(const std::string& path);

// Offset of the first fourcc at or after from; fails the test when there is none.
std::size_t findFourcc(const Bytes& bytes, const char* fourcc, std::size_t from = 0);
std::uint32_t getLe32(const Bytes& bytes, std::size_t offset);
void putLe32(Bytes& bytes, std::size_t offset, std::uint32_t value);

// A chunk of movi as the clip's own idx1 lists it.
struct IndexedChunk {
    std::size_t offset, size; // of its header in the file; of its payload
    bool video;
};
std::vector<IndexedChunk> indexedChunks(const Bytes& clip);

// The clip's header with a movi of these chunks of it in this order, each a chunk of the size
// given (its payload cut or run on from the clip's bytes); the odd-sized ones padded or not,
// and a new idx1 or none.
struct Rebuilt {
    std::size_t sourceChunk; // in indexedChunks(clip)
    std::size_t size;
};
std::vector<Rebuilt> asIndexed(const Bytes& clip); // every chunk as the clip's index lists it
Bytes rebuildMovi(const Bytes& clip, const std::vector<Rebuilt>& chunks, bool padOdd,
                  bool withIndex);

struct Repaired {
    VideoReport report;
    WriteOutcome outcome;
    Bytes bytes;
};
// readVideo() and writeRepair() into memory, as kovra-cli repair does into a file.
Repaired repairBytes(const Bytes& input);
VideoReport inspectBytes(const Bytes& input);

// A sink that notes the calls the writer makes ("appendFrom 0 OFFSET N", "append 0 N",
// "overwrite OFFSET N"), failing every one once told to.
class RecordingOutput final : public OutputSink {
  public:
    explicit RecordingOutput(bool fail = false) : fail_(fail) {}
    bool append(const void*, std::size_t n) override { return note("append 0", n); }
    bool appendFrom(std::size_t source, std::uint64_t offset, std::uint64_t n) override {
        return note("appendFrom " + std::to_string(source) + " " + std::to_string(offset), n);
    }
    bool overwrite(std::uint64_t offset, const void*, std::size_t n) override {
        return note("overwrite " + std::to_string(offset), n);
    }
    std::vector<std::string> calls;

  private:
    bool note(const std::string& call, std::uint64_t n) {
        calls.push_back(call + " " + std::to_string(n));
        return !fail_;
    }
    bool fail_;
};

// Zeros, with pieces of bytes laid over them in order: gigabytes that exist only as read.
class MadeUpSource final : public ByteSource {
  public:
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override;
    void append(const Bytes& bytes);
    void skip(std::uint64_t zeros) { size_ += zeros; }
    // A chunk 00dc of size bytes holding a JPEG's first and last markers.
    void appendFrame(std::uint32_t size);
    static Bytes header(const char* id, std::uint32_t size, const char* type = nullptr);

  private:
    std::uint64_t size_ = 0;
    std::vector<std::pair<std::uint64_t, Bytes>> pieces_;
};

// The first finding of that kind, or null.
const Finding* findingOf(const VideoReport& report, FindingKind kind);

// A table case's description as a test name: letters and digits, the rest "_".
std::string caseName(const char* description);

} // namespace kovra::avi::test
