// A file written under a temporary name beside its target and moved over it only once every
// byte is down: the target is replaced whole or not at all, and a failure leaves no trace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kovra {

class FileReplacement {
  public:
    // Beside the target, so that the final move stays on one volume.
    static constexpr const char* kTemporarySuffix = ".kovra-tmp";

    // Creates the temporary file at once: whatever the caller reads after this (a clock, a
    // control) is read only once there is somewhere to put it.
    FileReplacement(Platform& platform, const std::string& target);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool isOpen() const { return open_; }
    // Why the temporary file could not be created; None when it was.
    OsError openError() const { return openError_; }
    const std::string& temporaryPath() const { return temporary_; }
    // The first error a write met; later writes are not tried.
    OsError writeError() const { return writeError_; }

    // Starts from a copy of source made by the system (which may copy without the bytes
    // passing through this program); writes go over its first bytes.
    struct CopyOf {
        const std::string& source;
    };
    FileReplacement(Platform& platform, const std::string& target, CopyOf copy);

    OsError write(const void* data, std::size_t size);
    // Writes over bytes already written, at offset; later writes still append.
    OsError writeAt(std::uint64_t offset, const void* data, std::size_t size);
    // Cuts what is written back to its first size bytes; later writes append there.
    OsError truncate(std::uint64_t size);
    // Appends size bytes of the open file from, starting at offset, copied by the system.
    OsError copyRange(FileId from, std::uint64_t offset, std::uint64_t size);
    // Gives the finished file this modification time (seconds since 1970 UTC) when it appears.
    void keepModified(std::int64_t modified) { modified_ = modified, keepModified_ = true; }
    // Moves the finished file over the target. On any failure, now or in an earlier write,
    // the temporary file is removed and the target keeps what it had.
    OsError commit();

    static std::string temporaryPathFor(const std::string& target) {
        return target + kTemporarySuffix;
    }

  private:
    void discard();

    Platform& platform_;
    std::string target_;
    std::string temporary_;
    FileId file_ = 0;
    bool open_ = false;
    OsError openError_ = OsError::None;
    OsError writeError_ = OsError::None;
    bool keepModified_ = false;
    std::int64_t modified_ = 0;
};

} // namespace kovra
