// An open file descriptor that closes itself, whichever way the code holding it returns.
#pragma once

#include <unistd.h>

namespace kovra::posix {

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Hands the descriptor to a caller who keeps it open beyond this scope.
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes it now, for a caller who must hear what close() says: on some file systems (NFS,
    // FUSE) the first word of a failed write. 0 when nothing was open.
    int close() {
        int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

} // namespace kovra::posix
