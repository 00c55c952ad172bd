#include "platform/posix/notify.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <cerrno>

extern char** environ;

namespace kovra::posix {

namespace {

constexpr const char* kNotifier = "notify-send";
constexpr const char* kApplicationOption = "--app-name=Kovra";
// notify-send returns as soon as the message is handed over; one that hangs (no session bus
// to answer) is left to end by itself rather than hold up the card.
constexpr int kWaitMilliseconds = 2000;
constexpr int kPollMilliseconds = 20;
constexpr long kNanosecondsPerMillisecond = 1000000;

} // namespace

void notify(const std::string& title, const std::string& text) {
    char* argv[] = {const_cast<char*>(kNotifier), const_cast<char*>(kApplicationOption),
                    const_cast<char*>(title.c_str()), const_cast<char*>(text.c_str()), nullptr};
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t notifier;
    int started = posix_spawnp(&notifier, kNotifier, nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (started != 0)
        return;
    for (int waited = 0; waited < kWaitMilliseconds; waited += kPollMilliseconds) {
        int status = 0;
        pid_t ended = waitpid(notifier, &status, WNOHANG);
        if (ended < 0 && errno == EINTR)
            continue;
        if (ended != 0)
            return;
        timespec pause{0, kPollMilliseconds * kNanosecondsPerMillisecond};
        nanosleep(&pause, nullptr);
    }
}

} // namespace kovra::posix
