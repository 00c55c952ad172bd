#include "platform/posix/shell_open.h"

#include <sys/wait.h>

#include <cerrno>

#include "platform/posix/errors.h"
#include "platform/posix/spawn.h"

namespace kovra::posix {

namespace {

constexpr const char* kOpener = "xdg-open";
// xdg-open's exit status when it found no program for the file.
constexpr int kNoProgramStatus = 3;
constexpr int kWaitMilliseconds = 3000;

} // namespace

OsError shellOpen(const char* path) {
    char* argv[] = {const_cast<char*>(kOpener), const_cast<char*>(path), nullptr};
    pid_t opener;
    int started = startProgram(kOpener, argv, opener);
    if (started == ENOENT)
        return OsError::NoHandler;
    if (started != 0)
        return fromErrno(started);
    int status = 0;
    switch (waitAMoment(opener, kWaitMilliseconds, status)) {
    case WaitOutcome::Failed:
        return lastError();
    case WaitOutcome::StillRunning:
        return OsError::None;
    case WaitOutcome::Ended:
        break;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return OsError::None;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNoProgramStatus)
        return OsError::NoHandler;
    // xdg-open gives no reason the system could put into words.
    return OsError(OsError::Other, 0);
}

} // namespace kovra::posix
