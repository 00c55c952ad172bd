// A system call made again when a signal came before it had done anything.
#pragma once

#include <cerrno>

namespace kovra::posix {

// Calls call() until it answers anything but a failure (below zero) with EINTR, and returns that
// answer, errno as the call left it. The interrupts are handled with SA_RESTART, yet some calls
// (an open of a FIFO, flock, nanosleep) fail with EINTR regardless: a signal the handler has
// taken note of is no reason to fail what the user did not stop. Whether to stop is
// interrupted()'s to say, which the callers ask before each write.
template <typename Call> auto retryOnInterrupt(Call call) -> decltype(call()) {
    auto result = call();
    while (result < 0 && errno == EINTR)
        result = call();
    return result;
}

} // namespace kovra::posix
