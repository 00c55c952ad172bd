#include "platform/posix/spawn.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <cerrno>

#include "platform/posix/retry.h"

extern char** environ;

namespace kovra::posix {

namespace {

constexpr int kPollMilliseconds = 20;
constexpr long kNanosecondsPerMillisecond = 1000000;

void sleepMilliseconds(int milliseconds) {
    timespec pause{0, milliseconds * kNanosecondsPerMillisecond};
    retryOnInterrupt([&] { return nanosleep(&pause, &pause); });
}

} // namespace

int startProgram(const char* program, char* const argv[], pid_t& child) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    int started = posix_spawnp(&child, program, nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    return started;
}

WaitOutcome waitAMoment(pid_t child, int milliseconds, int& status) {
    for (int waited = 0; waited < milliseconds; waited += kPollMilliseconds) {
        pid_t ended = retryOnInterrupt([&] { return waitpid(child, &status, WNOHANG); });
        if (ended < 0)
            return WaitOutcome::Failed;
        if (ended == child)
            return WaitOutcome::Ended;
        sleepMilliseconds(kPollMilliseconds);
    }
    return WaitOutcome::StillRunning;
}

} // namespace kovra::posix
