// A small file read or replaced whole, as the records Kovra keeps beside what it writes are.
#pragma once

#include <cstdint>
#include <string>

#include "device/file_replacement.h"
#include "platform/platform.h"

namespace kovra {

// The file's bytes; false when it cannot be read, is empty, or is larger than largest (a
// record is never that large, and a larger file is not one).
bool readWholeFile(Platform& platform, const std::string& path, std::uint64_t largest,
                   std::string& text);

// Replaces the file with text, whole or not at all (flushed, then renamed).
OsError writeWholeFile(Platform& platform, const std::string& path, const std::string& text,
                       Naming naming = Naming::Durable);

} // namespace kovra
