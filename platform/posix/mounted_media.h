// Linux: the mounted filesystems that lie on removable media (a card in a reader, a USB
// stick), read from the mount table and sysfs below a root that tests point elsewhere.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kovra::posix {

// One line of /proc/self/mountinfo, the fields this needs.
struct MountEntry {
    std::string root;       // the folder of the filesystem mounted ("/" unless a bind mount)
    std::string mountPoint; // with the kernel's octal escapes (\040 ...) undone
    std::string source;     // "/dev/sdb1"
};

// False for a line that is not a mount entry.
bool parseMountInfoLine(const std::string& line, MountEntry& entry);

// Every removable mount, sorted by mount point. A filesystem mounted more than once counts
// once, at its first mount point; a bind mount of a folder inside it does not count. A mount
// table that cannot be read is an error, and nothing is found.
OsError findMountedMedia(const std::string& systemRoot, std::vector<RemovableMedium>& media);

// Whether the mount table below systemRoot lists a mount at folder (a trailing '/' aside).
OsError findMountAt(const std::string& systemRoot, const std::string& folder, bool& mounted);

} // namespace kovra::posix
