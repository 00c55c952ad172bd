// The system's errors in words a user can act on.
#pragma once

#include <string>

#include "platform/os_error.h"

namespace kovra::words {

// Our words for the error's kind, with the system's own words and code beside them.
std::string describe(OsError error);

} // namespace kovra::words
