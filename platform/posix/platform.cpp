// The POSIX platform, made once for the process.
#include <signal.h>

#include "platform/posix/system_platform.h"

namespace kovra {

// A write past the limit set for the process (ulimit -f) fails with EFBIG instead of ending the
// process.
posix::PosixPlatform::PosixPlatform() {
    signal(SIGXFSZ, SIG_IGN);
}

Platform& systemPlatform() {
    static posix::PosixPlatform platform;
    return platform;
}

} // namespace kovra
