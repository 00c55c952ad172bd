#include "platform/posix/mount_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/posix/errors.h"
#include "platform/posix/interrupts.h"

namespace kovra::posix {

namespace {

constexpr const char* kMountInfoFolder = "/proc/self";
constexpr const char* kMountInfoName = "mountinfo";
constexpr std::uint32_t kRewritten = IN_CLOSE_WRITE | IN_MOVED_TO;
// Room for a burst of events; what is read is only drained, never parsed.
constexpr std::size_t kEventBuffer = 4096;
constexpr long kMillisecondsPerSecond = 1000;
constexpr long kNanosecondsPerMillisecond = 1000000;

} // namespace

MountWatch::~MountWatch() {
    closeAll();
}

void MountWatch::closeAll() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    open_ = false;
}

OsError MountWatch::open(const std::string& systemRoot) {
    closeAll();
    watched_ = systemRoot;
    inotify_ = !systemRoot.empty();
    if (inotify_) {
        fd_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (fd_ < 0)
            return lastError();
        std::string folder = systemRoot + kMountInfoFolder;
        if (inotify_add_watch(fd_, folder.c_str(), kRewritten) < 0) {
            OsError error = lastError();
            closeAll();
            return error;
        }
    } else {
        std::string table = std::string(kMountInfoFolder) + "/" + kMountInfoName;
        fd_ = ::open(table.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            return lastError();
    }
    open_ = true;
    return OsError::None;
}

OsError MountWatch::wait(const std::string& systemRoot, int timeoutMilliseconds) {
    if (!open_ || systemRoot != watched_) {
        OsError error = open(systemRoot);
        if (error != OsError::None)
            return error;
    }
    // The interrupts are held back between the look at the flag and the wait, and let in by
    // ppoll itself: one that comes in between still ends the wait.
    sigset_t interrupts, before;
    interruptSignals(interrupts);
    pthread_sigmask(SIG_BLOCK, &interrupts, &before);
    if (interrupted()) {
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        return OsError::Interrupted;
    }
    pollfd watch{fd_, static_cast<short>(inotify_ ? POLLIN : POLLPRI), 0};
    timespec limit{timeoutMilliseconds / kMillisecondsPerSecond,
                   (timeoutMilliseconds % kMillisecondsPerSecond) * kNanosecondsPerMillisecond};
    int ready = ppoll(&watch, 1, timeoutMilliseconds < 0 ? nullptr : &limit, &before);
    int code = errno;
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (ready < 0 && code != EINTR)
        return fromErrno(code);
    if (interrupted())
        return OsError::Interrupted;
    if (ready > 0 && inotify_) {
        char events[kEventBuffer];
        while (::read(fd_, events, sizeof events) > 0) {
        }
    }
    return OsError::None;
}

} // namespace kovra::posix
