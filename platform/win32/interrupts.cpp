#include "platform/win32/interrupts.h"

#include <windows.h>

#include <atomic>
#include <mutex>

namespace kovra::win32 {

namespace {

// How a process ended by Ctrl+C exits; mingw's headers do not always name it.
constexpr UINT kControlCExit = 0xC000013AU;
// Windows ends the process some 5 s after a close event whatever the handler does; the writes
// are given most of that to finish and clean up.
constexpr DWORD kCloseWaitMilliseconds = 4000;
constexpr DWORD kCloseWaitStep = 20;

std::atomic<int> deferrals{0};
std::atomic<bool> pending{false};
// Set with pending, for a wait to end at once; made before the handler is installed.
HANDLE interruptEvent = nullptr;

BOOL WINAPI onControl(DWORD event) {
    if (deferrals.load() == 0)
        return FALSE; // the default: the process ends at once
    pending.store(true);
    SetEvent(interruptEvent);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // The console closes (or the user logs off): the process ends when this returns, so wait
    // here for the writes to finish; the last allow then ends the process itself.
    for (DWORD waited = 0; waited < kCloseWaitMilliseconds && deferrals.load() > 0;
         waited += kCloseWaitStep)
        Sleep(kCloseWaitStep);
    return FALSE;
}

} // namespace

void deferInterrupts() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        interruptEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        SetConsoleCtrlHandler(onControl, TRUE);
    });
    deferrals.fetch_add(1);
}

void allowInterrupts() {
    // An allow without its deferral leaves the count at zero rather than below.
    int count = deferrals.load();
    while (count > 0 && !deferrals.compare_exchange_weak(count, count - 1)) {
    }
    if (count == 1 && pending.load())
        ExitProcess(kControlCExit);
}

bool interrupted() {
    return pending.load(std::memory_order_relaxed);
}

bool sleepUnlessInterrupted(unsigned long milliseconds) {
    if (interruptEvent)
        WaitForSingleObject(interruptEvent, milliseconds);
    else
        Sleep(milliseconds);
    return interrupted();
}

} // namespace kovra::win32
