// errno folded onto OsError's kinds, the code kept for the message.
#pragma once

#include "platform/os_error.h"

namespace kovra::posix {

OsError fromErrno(int code);
// fromErrno(errno), read at once, before another call can change it.
OsError lastError();

} // namespace kovra::posix
