#include "platform/posix/guarded_copy.h"

#include <setjmp.h>
#include <signal.h>

#include <cstring>
#include <mutex>

namespace kovra::posix {

namespace {

// Where the copy running on this thread goes back to on a fault; null outside any copy.
thread_local sigjmp_buf* activeGuard = nullptr;

void onBusError(int signal, siginfo_t*, void*) {
    if (sigjmp_buf* guard = activeGuard) {
        activeGuard = nullptr;
        siglongjmp(*guard, 1);
    }
    // A fault in code that expected none: the crash it would have been without us.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

void installHandler() {
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    sigemptyset(&action.sa_mask);
    // SA_NODEFER leaves SIGBUS unblocked when the handler jumps out of itself, so the jump
    // needs no signal mask restored: sigsetjmp(..., 0) then costs no system call per copy.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigaction(SIGBUS, &action, nullptr);
}

} // namespace

void prepareGuardedCopies() {
    static std::once_flag installed;
    std::call_once(installed, installHandler);
}

bool guardedCopy(void* to, const void* from, std::size_t size) {
    sigjmp_buf guard;
    if (sigsetjmp(guard, 0) != 0)
        return false;
    activeGuard = &guard;
    std::memcpy(to, from, size);
    activeGuard = nullptr;
    return true;
}

} // namespace kovra::posix
