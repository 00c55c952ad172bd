// The desktop session Kovra runs in: the user's clock, the desktop's "open" and its
// notifications, the terminal, this and other processes, and the interrupts the user sends.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os_error.h"

namespace kovra {

// The platform's local time record, field for field as Windows gives it.
struct SystemTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
};

enum class StandardStream { Output, Error };

class Desktop {
  public:
    virtual ~Desktop() = default;

    // Local time lives here rather than with the files: the files' times are UTC seconds,
    // and what turns them into the hours a user reads is the session's time zone (TZ, the
    // PC's settings), as is the recorder's clock set from this PC.
    virtual SystemTime localTime() = 0;
    // A moment (seconds since 1970-01-01 UTC, a file's modification time) as this PC's clock
    // shows it: the form a FAT card keeps its times in, which the system converted from.
    virtual SystemTime localTimeOf(std::int64_t utcSeconds) = 0;

    // Hands path to the desktop's "open" action. NoHandler when nothing opens it; a program
    // started and still running counts as opened.
    virtual OsError shellOpen(const char* path) = 0;
    // Shows a desktop notification where there is a way to (notify-send on PATH), without
    // waiting for it; nothing happens where there is none or it fails.
    virtual void notify(const std::string& title, const std::string& text) = 0;
    virtual bool isTerminal(StandardStream stream) = 0;

    virtual std::uint32_t processId() = 0;
    // Whether a process of that number is running now: one that was killed left its temporary
    // files, which a later run may then remove. A process that cannot be looked at (another
    // user's) counts as running.
    virtual bool processRunning(std::uint32_t processId) = 0;

    // While the count of deferrals is above zero, an interrupt (SIGINT, SIGTERM, SIGHUP, SIGQUIT;
    // Ctrl+C, Ctrl+Break, the console closing) only marks the process interrupted: writes see
    // it and fail with Interrupted, so that their temporary files are removed. When the count
    // falls back to zero, a pending interrupt ends the process as it would have at first.
    // Without deferrals an interrupt ends the process at once.
    virtual void deferInterrupts() = 0;
    virtual void allowInterrupts() = 0;
    virtual bool interrupted() = 0;
};

} // namespace kovra
