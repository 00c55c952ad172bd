// Linux: waiting for a mount or an unmount without spending processor time. The kernel marks
// /proc/self/mountinfo with POLLPRI|POLLERR when the mount table changes; a copy of the table
// under a test root is a regular file, which poll() always reports readable, so there its
// folder is watched with inotify for the file being rewritten or moved into place.
#pragma once

#include <string>

#include "platform/platform.h"

namespace kovra::posix {

class MountWatch {
  public:
    MountWatch() = default;
    ~MountWatch();
    MountWatch(const MountWatch&) = delete;
    MountWatch& operator=(const MountWatch&) = delete;

    // See Platform::waitForMountChange. A new systemRoot starts watching afresh.
    OsError wait(const std::string& systemRoot, int timeoutMilliseconds);

  private:
    OsError open(const std::string& systemRoot);
    void closeAll();

    std::string watched_;
    bool open_ = false;
    int fd_ = -1; // the mount table itself, or the inotify instance
    bool inotify_ = false;
};

} // namespace kovra::posix
