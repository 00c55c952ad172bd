// GetLastError's codes folded onto OsError's kinds, the code kept for the message.
#pragma once

#include <windows.h>

#include "platform/os_error.h"

namespace kovra::win32 {

OsError fromWin32(DWORD code);
// fromWin32(GetLastError()), read at once, before another call can change it.
OsError lastError();

} // namespace kovra::win32
