// Files only this user may read, for what must not be seen by others on the machine: a page
// holding the local server's token, which a command line would show to every user.
#pragma once

#include <string>

#include "platform/os_error.h"

namespace kovra {

// Makes a new folder of a fresh name in the user's temporary folder that only this user may
// enter (POSIX: mode 0700 by mkdtemp; Windows: the user's own temporary folder, which other
// users may not read), and gives its path without a final separator.
OsError makePrivateFolder(std::string& folder);
// Creates path anew (never an existing file or a link) readable by this user alone (mode
// 0600), holding text.
OsError writePrivateFile(const std::string& path, const std::string& text);
// Removes an empty folder.
OsError removeFolder(const std::string& folder);

// Where videos the user saves go by default: "~/Videos/kovra" on POSIX (the home folder from
// HOME), the user's own Videos folder with "Kovra" on Windows. Nothing is created.
OsError savedVideosFolder(std::string& folder);

} // namespace kovra
