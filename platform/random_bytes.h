// Random bytes from the system's own generator, for secrets such as the local server's token.
#pragma once

#include <cstddef>

#include "platform/os_error.h"

namespace kovra {

// Fills buffer with size bytes fit for a secret (getrandom; RtlGenRandom), or fails: never a
// guessable fallback.
OsError randomBytes(void* buffer, std::size_t size);

} // namespace kovra
