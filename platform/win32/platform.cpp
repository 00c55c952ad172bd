// The Windows implementation: ANSI Win32 calls, one for each service.
#include "platform/platform.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

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
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return OsError::ShortWrite;
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

// FILETIME counts 100 ns intervals since 1601-01-01 UTC.
constexpr std::int64_t kIntervalsPerSecond = 10000000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

std::int64_t toUnixSeconds(const FILETIME& time) {
    std::int64_t intervals = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return intervals / kIntervalsPerSecond - kSecondsFrom1601To1970;
}

FILETIME fromUnixSeconds(std::int64_t seconds) {
    std::uint64_t intervals =
        static_cast<std::uint64_t>((seconds + kSecondsFrom1601To1970) * kIntervalsPerSecond);
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(intervals & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(intervals >> 32);
    return time;
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

    // A synchronous handle reads at the offset an OVERLAPPED gives, and moves its position.
    OsError readAt(FileId file, std::uint64_t offset, void* buffer, std::size_t size) override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(handleOf(file), buffer, static_cast<DWORD>(size), &got, &at)) {
            DWORD code = GetLastError();
            return code == ERROR_HANDLE_EOF ? OsError::ShortRead : fromWin32(code);
        }
        return got == size ? OsError::None : OsError::ShortRead;
    }

    OsError write(FileId file, const void* data, std::size_t size) override {
        DWORD put = 0;
        if (!WriteFile(handleOf(file), data, static_cast<DWORD>(size), &put, nullptr))
            return lastError();
        return put == size ? OsError::None : OsError::ShortWrite;
    }

    OsError setSize(FileId file, std::uint64_t size) override {
        LONG high = static_cast<LONG>(size >> 32);
        SetLastError(ERROR_SUCCESS);
        if (SetFilePointer(handleOf(file), static_cast<LONG>(size & 0xFFFFFFFFu), &high,
                           FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
            GetLastError() != ERROR_SUCCESS)
            return lastError();
        return SetEndOfFile(handleOf(file)) ? OsError::None : lastError();
    }

    // An OVERLAPPED write moves the position too: it is put back for the appends that follow.
    OsError writeAt(FileId file, std::uint64_t offset, const void* data,
                    std::size_t size) override {
        HANDLE handle = handleOf(file);
        LONG high = 0;
        SetLastError(ERROR_SUCCESS);
        DWORD low = SetFilePointer(handle, 0, &high, FILE_CURRENT);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
            return lastError();
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD put = 0;
        OsError result = OsError::None;
        if (!WriteFile(handle, data, static_cast<DWORD>(size), &put, &at))
            result = lastError();
        else if (put != size)
            result = OsError::ShortWrite;
        SetLastError(ERROR_SUCCESS);
        if (SetFilePointer(handle, static_cast<LONG>(low), &high, FILE_BEGIN) ==
                INVALID_SET_FILE_POINTER &&
            GetLastError() != ERROR_SUCCESS && result == OsError::None)
            result = lastError();
        return result;
    }

    OsError seek(FileId file, std::uint32_t offset) override {
        SetLastError(ERROR_SUCCESS);
        // With the high half given, the low half counts as unsigned: offsets up to 4 GiB - 1.
        LONG high = 0;
        DWORD at = SetFilePointer(handleOf(file), static_cast<LONG>(offset), &high, FILE_BEGIN);
        if (at == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
            return lastError();
        return OsError::None;
    }

    // Windows has no call that copies part of one open file into another: through a buffer.
    OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) override {
        static constexpr std::size_t kChunk = 1 << 20;
        std::vector<char> chunk(kChunk);
        while (size > 0) {
            std::size_t want = size < kChunk ? static_cast<std::size_t>(size) : kChunk;
            OsError result = readAt(from, offset, chunk.data(), want);
            if (result == OsError::None)
                result = write(to, chunk.data(), want);
            if (result != OsError::None)
                return result;
            offset += want;
            size -= want;
        }
        return OsError::None;
    }

    OsError fileSize(FileId file, std::uint64_t& size) override {
        DWORD high = 0;
        SetLastError(ERROR_SUCCESS);
        DWORD low = GetFileSize(handleOf(file), &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
            return lastError();
        size = (static_cast<std::uint64_t>(high) << 32) | low;
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

    OsError replace(const char* source, const char* target) override {
        DWORD attributes = GetFileAttributesA(target);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return OsError::AccessDenied;
        return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? OsError::None
                   : lastError();
    }

    OsError info(const char* path, FileInfo& info) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
            return lastError();
        info.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        info.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        info.modified = toUnixSeconds(data.ftLastWriteTime);
        return OsError::None;
    }

    OsError setModified(const char* path, std::int64_t modified) override {
        HANDLE handle = CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return lastError();
        FILETIME time = fromUnixSeconds(modified);
        OsError result = SetFileTime(handle, nullptr, nullptr, &time) ? OsError::None : lastError();
        CloseHandle(handle);
        return result;
    }

    OsError makeFolder(const char* path) override {
        if (CreateDirectoryA(path, nullptr))
            return OsError::None;
        DWORD code = GetLastError();
        DWORD attributes = GetFileAttributesA(path);
        if (code == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return OsError::None;
        return code == ERROR_ALREADY_EXISTS ? OsError::AccessDenied : fromWin32(code);
    }

    OsError
    forEachEntry(const char* folder,
                 const std::function<void(const char* name, bool isFolder)>& visit) override {
        std::string pattern(folder);
        if (pattern.empty() || (pattern.back() != '\\' && pattern.back() != '/'))
            pattern += '\\';
        pattern += '*';
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            return code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES ? OsError::None
                                                                               : fromWin32(code);
        }
        // Collect first: the visitor may change the folder.
        std::vector<std::pair<std::string, bool>> entries;
        do {
            if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
                entries.emplace_back(found.cFileName,
                                     (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        for (const auto& [name, isFolder] : entries)
            visit(name.c_str(), isFolder);
        return OsError::None;
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
