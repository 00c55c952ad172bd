// The recorder's videos as files: read through the platform for the AVI reader, written
// through a replacement, and found in a folder tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

    // NotFound, AccessDenied ... when the file could not be opened.
    OsError openError() const { return openError_; }
    // The first error a read met; the reader only sees that the bytes are not there.
    OsError readError() const { return readError_; }

    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t n) override;
    // Appends n bytes at offset to the file being written, copied by the system.
    bool copyTo(FileReplacement& file, std::uint64_t offset, std::uint64_t n);

  private:
    Platform& platform_;
    FileId file_ = 0;
    bool open_ = false;
    std::uint64_t size_ = 0;
    OsError openError_ = OsError::None;
    OsError readError_ = OsError::None;
};

// The *.avi files (any case) below folder, as paths relative to it with '/' between
// folders, sorted. Folders deeper than a bound (a link that loops) are not entered; skip
// names a folder (relative, '/'-separated) not to enter.
std::vector<std::string> findVideos(Platform& platform, const std::string& folder,
                                    const std::string& skip = "");

} // namespace kovra
