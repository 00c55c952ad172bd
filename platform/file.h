// An open file that closes itself, whichever way the code using it returns.
#pragma once

#include "platform/platform.h"

namespace kovra {

class File {
  public:
    File(Platform& platform, const char* path, OpenMode mode) : platform_(platform) {
        error_ = platform_.open(path, mode, id_);
        open_ = error_ == OsError::None;
    }
    ~File() { close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return open_; }
    // Why the open failed; None when it succeeded.
    OsError openError() const { return error_; }
    FileId id() const { return id_; }

    OsError read(void* buffer, std::size_t size) { return platform_.read(id_, buffer, size); }
    OsError write(const void* data, std::size_t size) { return platform_.write(id_, data, size); }
    OsError seek(std::uint32_t offset) { return platform_.seek(id_, offset); }
    void close() {
        if (open_)
            platform_.close(id_);
        open_ = false;
    }

  private:
    Platform& platform_;
    FileId id_ = 0;
    OsError error_ = OsError::None;
    bool open_ = false;
};

} // namespace kovra
