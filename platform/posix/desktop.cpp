// The desktop session on POSIX: the local clock (TZ), xdg-open and notify-send, the terminal,
// processes and the interrupts held back while files are written.
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <limits>

#include "platform/posix/file_calls.h"
#include "platform/posix/interrupts.h"
#include "platform/posix/notify.h"
#include "platform/posix/shell_open.h"
#include "platform/posix/system_platform.h"

namespace kovra::posix {

namespace {

constexpr long kNanosecondsPerMillisecond = 1000000;
constexpr int kFirstTmYear = 1900;

} // namespace

SystemTime PosixPlatform::localTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    SystemTime time = localTimeOf(now.tv_sec);
    time.milliseconds = static_cast<std::uint16_t>(now.tv_nsec / kNanosecondsPerMillisecond);
    return time;
}

SystemTime PosixPlatform::localTimeOf(std::int64_t utcSeconds) {
    auto moment = static_cast<time_t>(utcSeconds);
    std::tm local{};
    localtime_r(&moment, &local);
    SystemTime time;
    time.year = static_cast<std::uint16_t>(local.tm_year + kFirstTmYear);
    time.month = static_cast<std::uint16_t>(local.tm_mon + 1);
    time.dayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
    time.day = static_cast<std::uint16_t>(local.tm_mday);
    time.hour = static_cast<std::uint16_t>(local.tm_hour);
    time.minute = static_cast<std::uint16_t>(local.tm_min);
    time.second = static_cast<std::uint16_t>(local.tm_sec);
    return time;
}

OsError PosixPlatform::shellOpen(const char* path) {
    return posix::shellOpen(nativePath(path).c_str());
}

void PosixPlatform::notify(const std::string& title, const std::string& text) {
    posix::notify(title, text);
}

bool PosixPlatform::isTerminal(StandardStream stream) {
    return isatty(stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

std::uint32_t PosixPlatform::processId() {
    return static_cast<std::uint32_t>(getpid());
}

// Signal 0 only asks: ESRCH is no such process, EPERM one that is there but not ours. 0 and
// numbers past pid_t would ask about a group of processes, and name no one.
bool PosixPlatform::processRunning(std::uint32_t processId) {
    if (processId == 0 || processId > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max()))
        return false;
    return kill(static_cast<pid_t>(processId), 0) == 0 || errno != ESRCH;
}

void PosixPlatform::deferInterrupts() {
    posix::deferInterrupts();
}

void PosixPlatform::allowInterrupts() {
    posix::allowInterrupts();
}

bool PosixPlatform::interrupted() {
    return posix::interrupted();
}

} // namespace kovra::posix
