#include "platform/posix/interrupts.h"

#include <signal.h>

#include <atomic>
#include <mutex>

namespace kovra::posix {

namespace {

// SIGQUIT too: Ctrl+\ is a user ending the program as much as Ctrl+C is, and its core dump is
// no reason to leave a half-written file behind.
// SIGPIPE too: a reader of our output that went away ends the program as the user does, and
// while a file is written (export's next copy, flushed while the one before is said) its
// default action would leave that file half-made.
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

std::atomic<int> deferrals{0};
std::atomic<int> pendingSignal{0}; // 0: none came

static_assert(std::atomic<int>::is_always_lock_free,
              "the handler may only touch lock-free atomics");

// Ends the process as the signal's default action would, as if no handler had been there.
void endBy(int signal) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
    // Raised from within the handler, the signal is blocked until the handler returns: then
    // the default action ends the process.
}

void onInterrupt(int signal) {
    if (deferrals.load() > 0) {
        int none = 0;
        pendingSignal.compare_exchange_strong(none, signal);
        return;
    }
    endBy(signal);
}

void installHandlers() {
    for (int signal : kInterrupts) {
        struct sigaction old {};
        sigaction(signal, nullptr, &old);
        // Ignored by whoever started us (nohup, a shell's background job): stays ignored.
        if (old.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        for (int other : kInterrupts)
            sigaddset(&action.sa_mask, other);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
}

} // namespace

void deferInterrupts() {
    static std::once_flag installed;
    std::call_once(installed, installHandlers);
    deferrals.fetch_add(1);
}

void allowInterrupts() {
    // An allow without its deferral leaves the count at zero rather than below.
    int count = deferrals.load();
    while (count > 0 && !deferrals.compare_exchange_weak(count, count - 1)) {
    }
    if (count != 1)
        return;
    int signal = pendingSignal.load();
    if (signal != 0)
        endBy(signal);
}

void interruptSignals(sigset_t& signals) {
    sigemptyset(&signals);
    for (int signal : kInterrupts)
        sigaddset(&signals, signal);
}

bool interrupted() {
    return pendingSignal.load(std::memory_order_relaxed) != 0;
}

} // namespace kovra::posix
