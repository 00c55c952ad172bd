// The removable drives of a system with drive letters, told by each letter's drive type: the
// rules of the Win32 scan, apart from its one call so that they are tested on every host.
#pragma once

#include <functional>
#include <vector>

#include "platform/platform.h"

namespace kovra {

// The drive kinds GetDriveTypeA reports; only Removable counts as a removable medium.
enum class DriveType { Unknown, NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk };

// A: and B: (floppies) and Z: are never probed.
constexpr char kFirstDriveLetter = 'C';
constexpr char kLastDriveLetter = 'Y';

// C: to Y: in order, each asked of typeOf as "X:\"; every removable one, empty or not.
std::vector<RemovableMedium>
removableDrives(const std::function<DriveType(const char* root)>& typeOf);

} // namespace kovra
