#include "platform/win32/errors.h"

#include <string>

namespace kovra {

namespace win32 {

namespace {

OsError::Kind kindOf(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NOT_READY:
    case ERROR_INVALID_NAME:
        return OsError::NotFound;
    case ERROR_ACCESS_DENIED:
        return OsError::AccessDenied;
    case ERROR_WRITE_PROTECT:
        return OsError::ReadOnly;
    case ERROR_DIRECTORY: // "The directory name is invalid": a file named as a folder
        return OsError::NotAFolder;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return OsError::SharingViolation;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return OsError::TooLong;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return OsError::DiskFull;
    case ERROR_FILE_TOO_LARGE:
        return OsError::FileTooLarge;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return OsError::Exists;
    case ERROR_CANT_RESOLVE_FILENAME:
        return OsError::LinkLoop;
    default: // ERROR_CRC, ERROR_SECTOR_NOT_FOUND, ERROR_READ_FAULT ...: the code says which
        return OsError::Other;
    }
}

} // namespace

OsError fromWin32(DWORD code) {
    if (code == ERROR_SUCCESS)
        return OsError::None;
    return OsError(kindOf(code), static_cast<std::int32_t>(code));
}

OsError lastError() {
    return fromWin32(GetLastError());
}

} // namespace win32

namespace {

constexpr DWORD kMessageCapacity = 512;

} // namespace

std::string osErrorText(OsError error) {
    if (error.native() == 0)
        return "";
    char buffer[kMessageCapacity] = {};
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(error.native()), 0, buffer, kMessageCapacity, nullptr);
    std::string text(buffer, length);
    // The system's messages end in a line break.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    std::string code = "error " + std::to_string(error.native());
    return text.empty() ? code : text + ", " + code;
}

} // namespace kovra
