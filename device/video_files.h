// The recorder's videos as files: read through the platform for the AVI reader, each read a
// call into the reader's own window (no mapping: a page fault costs a microsecond on one
// machine and tens on another, a read into a buffer that stays about the same everywhere), and
// copied from by the system into a file being written.
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

class VideoFileSource final : public avi::ByteSource {
  public:
    VideoFileSource(Platform& platform, const std::string& path);
    ~VideoFileSource() override;
    VideoFileSource(const VideoFileSource&) = delete;
    VideoFileSource& operator=(const VideoFileSource&) = delete;

    // NotFound, NotAFile, AccessDenied ... when the file could not be opened.
    OsError openError() const { return openError_; }
    // The first error a read met, the source's (the reader only sees that the bytes are not
    // there).
    OsError readError() const { return readError_; }
    const std::string& path() const { return path_; }
    // The bytes read from the file so far.
    std::uint64_t bytesRead() const { return bytesRead_; }

    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override;
    // In one call to the system where it allows (Platform::readAtMany).
    void readEach(avi::ReadRequest* requests, std::size_t count) override;
    // Appends n bytes at offset to the file being written, copied by the system; a failure is
    // the file's writeError(), which says whether reading this source or writing it failed.
    bool copyTo(FileReplacement& file, std::uint64_t offset, std::uint64_t n);

  private:
    Platform& platform_;
    std::string path_;
    FileId file_ = 0;
    bool open_ = false;
    std::uint64_t size_ = 0;
    std::uint64_t bytesRead_ = 0;
    OsError openError_ = OsError::None;
    OsError readError_ = OsError::None;
};

} // namespace kovra
