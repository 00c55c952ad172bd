// The desktop session on Windows: the local clock, the shell's "open", the console, processes
// and the interrupts held back while files are written.
#include <windows.h>

#include "platform/win32/file_calls.h"
#include "platform/win32/interrupts.h"
#include "platform/win32/shell_open.h"
#include "platform/win32/system_platform.h"

namespace kovra::win32 {

namespace {

SystemTime fromSystemTime(const SYSTEMTIME& now) {
    SystemTime time;
    time.year = now.wYear;
    time.month = now.wMonth;
    time.dayOfWeek = now.wDayOfWeek;
    time.day = now.wDay;
    time.hour = now.wHour;
    time.minute = now.wMinute;
    time.second = now.wSecond;
    time.milliseconds = now.wMilliseconds;
    return time;
}

} // namespace

SystemTime Win32Platform::localTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return fromSystemTime(now);
}

// As Explorer shows a file's time: the bias in force now, which is also the one the FAT driver
// converted the card's local time with.
SystemTime Win32Platform::localTimeOf(std::int64_t utcSeconds) {
    FILETIME utc = fromUnixSeconds(utcSeconds), local;
    SYSTEMTIME fields{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &fields))
        return SystemTime{};
    return fromSystemTime(fields);
}

OsError Win32Platform::shellOpen(const char* path) {
    return win32::shellOpen(path);
}

bool Win32Platform::isTerminal(StandardStream stream) {
    HANDLE handle =
        GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

std::uint32_t Win32Platform::processId() {
    return GetCurrentProcessId();
}

// A process that has ended may still be open somewhere: its exit code then says so. No such
// process is ERROR_INVALID_PARAMETER; any other refusal is one that is there.
bool Win32Platform::processRunning(std::uint32_t processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

void Win32Platform::deferInterrupts() {
    win32::deferInterrupts();
}

void Win32Platform::allowInterrupts() {
    win32::allowInterrupts();
}

bool Win32Platform::interrupted() {
    return win32::interrupted();
}

} // namespace kovra::win32
