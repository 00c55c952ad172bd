// The calls on files and folders that more than one of the POSIX platform's parts makes:
// opening, flushing, and telling what a name is.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace kovra::posix {

constexpr mode_t kNewFileMode = 0666;

// A card may name a file "..\..\x.avi": read as '/', it would lead out of every folder given.
inline std::string nativePath(const char* path) {
    return path;
}

// open() with O_CLOEXEC, so that no program the desktop starts inherits the file.
int openDescriptor(const std::string& path, int flags, mode_t mode = 0);

// Opens a regular file and nothing else: a FIFO or a device is NotAFile, found without
// blocking, a folder IsFolder. fd is -1 after a failure; size, when given, is the file's.
OsError openRegular(const std::string& path, int flags, int& fd, std::uint64_t* size = nullptr);

// fsync, made again after a signal.
OsError flushDescriptor(int fd);

// Makes a folder's entries (a rename into it) durable.
OsError flushEntries(const std::string& folder);

// The move to a name nothing holds where rename can refuse to replace: the file linked under
// to, which link() never puts over anything (Exists), then its old name removed. A file system
// without links (FAT) is Unsupported, with the system's code.
OsError linkThenUnlink(const std::string& from, const std::string& to);

FileKind kindOf(mode_t mode);

} // namespace kovra::posix
