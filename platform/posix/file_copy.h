// Copying bytes between two open files, by the kernel where it can, saying which file a
// failure concerns.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/os_error.h"

namespace kovra::posix {

// Writes all of data, however many calls it takes; a full disk is DiskFull, a write of
// nothing ShortWrite.
OsError writeAll(int fd, const void* data, std::size_t size);

// Appends size bytes of in, from offset, to out (at its position): by the kernel where the
// two lie at the same place in their pages, through a buffer otherwise. A failure is on
// Side::Source when reading in, Side::Target when writing out; Interrupted once the user
// interrupted the program.
OsError copyBytes(int in, std::uint64_t offset, int out, std::uint64_t size);

} // namespace kovra::posix
