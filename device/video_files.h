// The recorder's videos as files: read through the platform for the AVI reader (mapped where
// the system can, so that looking at every chunk header costs no call per chunk), and copied
// from by the system into a file being written.
#pragma once

#include <cstdint>
#include <string>

#include "avi/byte_source.h"
#include "device/file_replacement.h"
#include "platform/platform.h"

namespace kovra {

// A video's first bytes: "MARS" as the recorder writes them, "RIFF" as players want them.
constexpr std::size_t kSignatureSize = 4;
constexpr char kMarsSignature[] = "MARS";
constexpr char kRiffSignature[] = "RIFF";

// The file's first kSignatureSize bytes; ShortRead for a shorter file.
OsError readSignature(Platform& platform, const std::string& path, std::string& signature);

// How a video file is read: mapped a part at a time where the system can map files (a
// reading that looks at every chunk header), or only ever the bytes asked for, each a call
// (a glance that hops over the data).
enum class VideoReads { Mapped, Direct };

class VideoFileSource final : public avi::ByteSource {
  public:
    VideoFileSource(Platform& platform, const std::string& path,
                    VideoReads reads = VideoReads::Mapped);
    ~VideoFileSource() override;
    VideoFileSource(const VideoFileSource&) = delete;
    VideoFileSource& operator=(const VideoFileSource&) = delete;

    // NotFound, NotAFile, AccessDenied ... when the file could not be opened.
    OsError openError() const { return openError_; }
    // The first error a read met, the source's (the reader only sees that the bytes are not
    // there).
    OsError readError() const { return readError_; }
    const std::string& path() const { return path_; }
    // The bytes read from the file so far, mapped parts as they were asked for.
    std::uint64_t bytesRead() const { return bytesRead_; }

    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override;
    bool smallReadsAreCheap() const override { return mapping_; }
    // Appends n bytes at offset to the file being written, copied by the system; a failure is
    // the file's writeError(), which says whether reading this source or writing it failed.
    bool copyTo(FileReplacement& file, std::uint64_t offset, std::uint64_t n);

  private:
    // The mapped part that holds the n bytes at offset, mapped now if none does; null where
    // the system maps nothing.
    const MappedFile* partHolding(std::uint64_t offset, std::size_t n);

    // Two parts: a reading looks at the chunks ahead and, now and then, at the index at the
    // end or a frame just behind; two parts of this size serve both without a map a look, and
    // keep what the mapping adds to the process's memory bounded however long the recording;
    // at this size the calls that map and give back a part cost little next to the faults of
    // the chunk headers looked at in it.
    static constexpr std::uint64_t kPartSize = 4 << 20;
    static constexpr std::size_t kParts = 2;

    Platform& platform_;
    std::string path_;
    FileId file_ = 0;
    bool open_ = false;
    bool mapping_ = false;
    MappedFile parts_[kParts];
    std::size_t nextPart_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t bytesRead_ = 0;
    OsError openError_ = OsError::None;
    OsError readError_ = OsError::None;
};

} // namespace kovra
