// The desktop's "open" on POSIX: xdg-open, run without a shell.
#pragma once

#include "platform/os_error.h"

namespace kovra::posix {

// Waits a few seconds for xdg-open's answer: a program it starts in the foreground may keep it
// running, and that counts as opened (it is left to run).
OsError shellOpen(const char* path);

} // namespace kovra::posix
