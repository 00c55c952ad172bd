// Copying out of a mapped file, where a page the file no longer has (cut short by another
// program, or the card pulled out) raises SIGBUS: the copy then fails instead of the process.
#pragma once

#include <cstddef>

namespace kovra::posix {

// Installs the SIGBUS handler; once, before the first guarded copy.
void prepareGuardedCopies();
// False when the copy met a fault; some of the bytes may have been copied.
bool guardedCopy(void* to, const void* from, std::size_t size);

} // namespace kovra::posix
