// The Windows platform, made once for the process.
#include "platform/win32/system_platform.h"

namespace kovra {

Platform& systemPlatform() {
    static win32::Win32Platform platform;
    return platform;
}

} // namespace kovra
