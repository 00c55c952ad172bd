#include "platform/win32/file_calls.h"

#include "platform/win32/errors.h"

namespace kovra::win32 {

namespace {

constexpr std::int64_t kIntervalsPerSecond = 10000000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

} // namespace

std::int64_t toUnixSeconds(const FILETIME& time) {
    auto intervals = static_cast<std::int64_t>(joined(time.dwHighDateTime, time.dwLowDateTime));
    return intervals / kIntervalsPerSecond - kSecondsFrom1601To1970;
}

FILETIME fromUnixSeconds(std::int64_t seconds) {
    std::uint64_t intervals =
        static_cast<std::uint64_t>((seconds + kSecondsFrom1601To1970) * kIntervalsPerSecond);
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(intervals & kLowHalf);
    time.dwHighDateTime = static_cast<DWORD>(intervals >> kHighHalfShift);
    return time;
}

FileKind kindOf(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Folder : FileKind::File;
}

OsError openFailure(const char* path) {
    OsError error = lastError();
    DWORD attributes = GetFileAttributesA(path);
    if (error == OsError::AccessDenied && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return OsError(OsError::IsFolder, error.native());
    return error;
}

OsError followedInfo(const char* path, BY_HANDLE_FILE_INFORMATION& data) {
    HANDLE handle = CreateFileA(path, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastError();
    OsError result = GetFileInformationByHandle(handle, &data) ? OsError::None : lastError();
    CloseHandle(handle);
    return result;
}

} // namespace kovra::win32
