#include "platform/random_bytes.h"

#include <sys/random.h>

#include <cerrno>

#include "platform/posix/errors.h"

namespace kovra {

OsError randomBytes(void* buffer, std::size_t size) {
    auto* at = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        // getrandom gives up to 32 MiB at a time and may stop early for a signal.
        ssize_t got = getrandom(at, size, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return posix::lastError();
        }
        at += got;
        size -= static_cast<std::size_t>(got);
    }
    return OsError::None;
}

} // namespace kovra
