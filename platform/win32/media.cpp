// Removable media on Windows: drive letters, whether a volume is in one, a look at them every
// second, and flushing a volume.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/removable_drives.h"
#include "platform/win32/interrupts.h"
#include "platform/win32/system_platform.h"

namespace kovra::win32 {

namespace {

// Drive letters come and go without a mount table to watch: they are looked at this often.
constexpr DWORD kDriveLookMilliseconds = 1000;
// "E:\" names the drive's root folder; "\\.\E:" its volume, which only an administrator may
// flush.
constexpr std::size_t kDriveRootLength = 3;
constexpr const char* kVolumePrefix = "\\\\.\\";

// What GetDriveTypeA says of a drive letter's root.
DriveType driveTypeOf(const char* root) {
    switch (GetDriveTypeA(root)) {
    case DRIVE_NO_ROOT_DIR:
        return DriveType::NoRootDir;
    case DRIVE_REMOVABLE:
        return DriveType::Removable;
    case DRIVE_FIXED:
        return DriveType::Fixed;
    case DRIVE_REMOTE:
        return DriveType::Remote;
    case DRIVE_CDROM:
        return DriveType::CdRom;
    case DRIVE_RAMDISK:
        return DriveType::RamDisk;
    default:
        return DriveType::Unknown;
    }
}

} // namespace

// Drive letters say which drive is removable; there is no mount table to read.
OsError Win32Platform::removableMedia(std::vector<RemovableMedium>& media) {
    media = removableDrives(driveTypeOf);
    return OsError::None;
}

OsError Win32Platform::mountedAt(const char* folder, bool& mounted) {
    std::string path = folder;
    bool driveRoot = path.size() == kDriveRootLength && path[1] == ':' && path[2] == '\\';
    // An empty reader has no volume (Windows) or no root folder (Wine, which makes up a volume
    // for any drive it maps).
    DWORD attributes = GetFileAttributesA(folder);
    mounted =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (!driveRoot ||
         GetVolumeInformationA(folder, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0);
    return OsError::None;
}

OsError Win32Platform::waitForMountChange(int timeoutMilliseconds) {
    DWORD wait = timeoutMilliseconds < 0 ? kDriveLookMilliseconds
                                         : std::min<DWORD>(kDriveLookMilliseconds,
                                                           static_cast<DWORD>(timeoutMilliseconds));
    return sleepUnlessInterrupted(wait) ? OsError::Interrupted : OsError::None;
}

OsError Win32Platform::flushVolume(const char* root) {
    // A folder given by hand names no volume to flush.
    if (std::strlen(root) < 2 || root[1] != ':')
        return OsError::Unsupported;
    std::string volume = std::string(kVolumePrefix) + std::string(root, 2);
    HANDLE handle = CreateFileA(volume.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    // Refused without an administrator's rights (and by Wine).
    if (handle == INVALID_HANDLE_VALUE)
        return OsError(OsError::AccessDenied, static_cast<std::int32_t>(GetLastError()));
    BOOL flushed = FlushFileBuffers(handle);
    DWORD code = GetLastError();
    CloseHandle(handle);
    if (flushed)
        return OsError::None;
    // A volume whose driver has no flush (Wine's drives): Unsupported, as where none is named.
    return OsError(code == ERROR_INVALID_FUNCTION ? OsError::Unsupported : OsError::Other,
                   static_cast<std::int32_t>(code));
}

} // namespace kovra::win32
