#include "platform/posix/shell_open.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <cerrno>

#include "platform/posix/errors.h"

extern char** environ;

namespace kovra::posix {

namespace {

constexpr const char* kOpener = "xdg-open";
// xdg-open's exit status when it found no program for the file.
constexpr int kNoProgramStatus = 3;
constexpr int kWaitMilliseconds = 3000;
constexpr int kPollMilliseconds = 20;
constexpr long kNanosecondsPerMillisecond = 1000000;

void sleepMilliseconds(int milliseconds) {
    timespec pause{0, milliseconds * kNanosecondsPerMillisecond};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

} // namespace

OsError shellOpen(const char* path) {
    char* argv[] = {const_cast<char*>(kOpener), const_cast<char*>(path), nullptr};
    // The opener and what it starts get SIGXFSZ's default back: ignoring it is ours alone.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t opener;
    int started = posix_spawnp(&opener, kOpener, nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (started == ENOENT)
        return OsError::NoHandler;
    if (started != 0)
        return fromErrno(started);
    for (int waited = 0; waited < kWaitMilliseconds; waited += kPollMilliseconds) {
        int status = 0;
        pid_t ended = waitpid(opener, &status, WNOHANG);
        if (ended < 0 && errno == EINTR)
            continue;
        if (ended < 0)
            return lastError();
        if (ended == opener) {
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                return OsError::None;
            if (WIFEXITED(status) && WEXITSTATUS(status) == kNoProgramStatus)
                return OsError::NoHandler;
            // xdg-open gives no reason the system could put into words.
            return OsError(OsError::Other, 0);
        }
        sleepMilliseconds(kPollMilliseconds);
    }
    return OsError::None;
}

} // namespace kovra::posix
