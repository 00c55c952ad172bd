// The lock a destination folder is written under: an export and a gallery into one folder, or
// two of either, would remove and replace each other's files. Held until destroyed, or until
// the process ends however it ends.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kovra {

class DestLock {
  public:
    static constexpr const char* kFileName = ".kovra-export.lock";

    explicit DestLock(Platform& platform) : platform_(platform) {}
    ~DestLock();
    DestLock(const DestLock&) = delete;
    DestLock& operator=(const DestLock&) = delete;

    // Takes the lock of dest, a folder that is there. SharingViolation at once, without
    // waiting, while another process holds it.
    OsError take(const std::string& dest);

  private:
    Platform& platform_;
    FileId file_ = 0;
    bool held_ = false;
};

} // namespace kovra
