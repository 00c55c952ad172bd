// The Windows implementation: ANSI Win32 calls, one for each service.
#include "platform/platform.h"

#include <windows.h>

#include <shellapi.h>

namespace kovra {

namespace {

OsError fromWin32(DWORD code) {
    switch (code) {
    case ERROR_SUCCESS:
        return OsError::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NOT_READY:
    case ERROR_INVALID_NAME:
        return OsError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_DIRECTORY:
        return OsError::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return OsError::SharingViolation;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return OsError::TooLong;
    default:
        return OsError::Other;
    }
}

OsError lastError() {
    return fromWin32(GetLastError());
}

HANDLE handleOf(FileId file) {
    return reinterpret_cast<HANDLE>(file);
}

class Win32Platform final : public Platform {
  public:
    DriveType driveType(const char* root) override {
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

    OsError open(const char* path, OpenMode mode, FileId& file) override {
        DWORD access = 0, share = 0, disposition = 0;
        switch (mode) {
        case OpenMode::ReadShared:
            access = GENERIC_READ;
            share = FILE_SHARE_READ;
            disposition = OPEN_EXISTING;
            break;
        case OpenMode::WriteTruncate:
            access = GENERIC_WRITE;
            disposition = CREATE_ALWAYS;
            break;
        case OpenMode::ReadWriteExclusive:
            access = GENERIC_READ | GENERIC_WRITE;
            disposition = OPEN_ALWAYS;
            break;
        }
        HANDLE handle =
            CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return lastError();
        file = reinterpret_cast<FileId>(handle);
        return OsError::None;
    }

    OsError read(FileId file, void* buffer, std::size_t size) override {
        DWORD got = 0;
        if (!ReadFile(handleOf(file), buffer, static_cast<DWORD>(size), &got, nullptr))
            return lastError();
        return got == size ? OsError::None : OsError::ShortRead;
    }

    OsError write(FileId file, const void* data, std::size_t size) override {
        DWORD put = 0;
        if (!WriteFile(handleOf(file), data, static_cast<DWORD>(size), &put, nullptr))
            return lastError();
        return put == size ? OsError::None : OsError::ShortWrite;
    }

    OsError seek(FileId file, std::uint32_t offset) override {
        SetLastError(ERROR_SUCCESS);
        DWORD at = SetFilePointer(handleOf(file), static_cast<LONG>(offset), nullptr, FILE_BEGIN);
        if (at == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
            return lastError();
        return OsError::None;
    }

    void close(FileId file) override { CloseHandle(handleOf(file)); }

    OsError tempPath(char* buffer, std::size_t capacity) override {
        DWORD length = GetTempPathA(static_cast<DWORD>(capacity), buffer);
        if (length == 0)
            return lastError();
        // On a buffer too small, the call gives the size it would need and writes nothing.
        if (length >= capacity)
            return OsError::TooLong;
        return OsError::None;
    }

    OsError forEachMatch(const char* pattern,
                         const std::function<void(const char* name)>& visit) override {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern, &found);
        if (search == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            return code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES ? OsError::None
                                                                               : fromWin32(code);
        }
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                visit(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return OsError::None;
    }

    // A search for the one name, as the framework's CFileFind::FindFile makes it.
    bool exists(const char* path) override {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(path, &found);
        if (search == INVALID_HANDLE_VALUE)
            return false;
        FindClose(search);
        return true;
    }

    OsError remove(const char* path) override {
        return DeleteFileA(path) ? OsError::None : lastError();
    }

    OsError copy(const char* source, const char* target) override {
        return CopyFileA(source, target, FALSE) ? OsError::None : lastError();
    }

    SystemTime localTime() override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        SystemTime time;
        time.year = now.wYear;
        time.month = now.wMonth;
        time.dayOfWeek = now.wDayOfWeek;
        time.day = now.wDay;
        time.hour = now.wHour;
        time.minute = now.wMinute;
        time.second = now.wSecond;
        time.milliseconds = now.wMilliseconds;
        return time;
    }

    OsError shellOpen(const char* path) override {
        HINSTANCE result = ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
        // Values above 32 mean the program was started; the others are error codes.
        INT_PTR code = reinterpret_cast<INT_PTR>(result);
        if (code > 32)
            return OsError::None;
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? OsError::NotFound
                                                                            : OsError::Other;
    }

    bool enforcesSharing() const override { return true; }
};

} // namespace

Platform& systemPlatform() {
    static Win32Platform platform;
    return platform;
}

} // namespace kovra
