// The desktop's "open" on Windows: ShellExecuteA and what its answers mean.
#pragma once

#include "platform/os_error.h"

namespace kovra::win32 {

// NoHandler when no program is associated with the file, NotFound when it is not there.
OsError shellOpen(const char* path);

} // namespace kovra::win32
