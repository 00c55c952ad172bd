// The Windows implementation: ANSI Win32 calls, one for each service.
#include "platform/platform.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/removable_drives.h"
#include "platform/win32/errors.h"
#include "platform/win32/interrupts.h"

namespace kovra {

namespace {

using win32::fromWin32;
using win32::interrupted;
using win32::lastError;

// Why CreateFileA failed on path, read at once: a folder refuses a file's open as access
// denied, and is told apart here.
OsError openFailure(const char* path) {
    OsError error = lastError();
    DWORD attributes = GetFileAttributesA(path);
    if (error == OsError::AccessDenied && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return OsError(OsError::IsFolder, error.native());
    return error;
}

constexpr std::size_t kCopyPiece = 1 << 20;
constexpr unsigned kHighHalfShift = 32;
constexpr DWORD kLowHalf = 0xFFFFFFFFu;
// ShellExecuteA's answers above this are the program started; the others are error codes.
constexpr INT_PTR kShellStarted = 32;
// Drive letters come and go without a mount table to watch: they are looked at this often.
constexpr DWORD kDriveLookMilliseconds = 1000;
// "E:\" names the drive's root folder; "\\.\E:" its volume, which only an administrator
// may flush.
constexpr std::size_t kDriveRootLength = 3;
constexpr const char* kVolumePrefix = "\\\\.\\";

HANDLE handleOf(FileId file) {
    return reinterpret_cast<HANDLE>(file);
}

std::uint64_t joined(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << kHighHalfShift) | low;
}

// FILETIME counts 100 ns intervals since 1601-01-01 UTC.
constexpr std::int64_t kIntervalsPerSecond = 10000000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

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

// What path leads to, a link followed: the file opened (folders too) and asked.
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

class Win32Platform final : public Platform {
  public:
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
        case OpenMode::CreateNew:
            access = GENERIC_READ | GENERIC_WRITE;
            disposition = CREATE_NEW;
            break;
        }
        HANDLE handle =
            CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return openFailure(path);
        }
        // CON, NUL, a pipe: nothing Kovra reads or replaces.
        if (GetFileType(handle) != FILE_TYPE_DISK) {
            CloseHandle(handle);
            return OsError::NotAFile;
        }
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
        at.Offset = static_cast<DWORD>(offset & kLowHalf);
        at.OffsetHigh = static_cast<DWORD>(offset >> kHighHalfShift);
        DWORD got = 0;
        if (!ReadFile(handleOf(file), buffer, static_cast<DWORD>(size), &got, &at)) {
            DWORD code = GetLastError();
            return code == ERROR_HANDLE_EOF ? OsError::ShortRead : fromWin32(code);
        }
        return got == size ? OsError::None : OsError::ShortRead;
    }

    OsError write(FileId file, const void* data, std::size_t size) override {
        if (interrupted())
            return OsError::Interrupted;
        DWORD put = 0;
        if (!WriteFile(handleOf(file), data, static_cast<DWORD>(size), &put, nullptr))
            return lastError();
        return put == size ? OsError::None : OsError::ShortWrite;
    }

    OsError setSize(FileId file, std::uint64_t size) override {
        LONG high = static_cast<LONG>(size >> kHighHalfShift);
        SetLastError(ERROR_SUCCESS);
        if (SetFilePointer(handleOf(file), static_cast<LONG>(size & kLowHalf), &high, FILE_BEGIN) ==
                INVALID_SET_FILE_POINTER &&
            GetLastError() != ERROR_SUCCESS)
            return lastError();
        return SetEndOfFile(handleOf(file)) ? OsError::None : lastError();
    }

    // An OVERLAPPED write moves the position too: it is put back for the appends that follow.
    OsError writeAt(FileId file, std::uint64_t offset, const void* data,
                    std::size_t size) override {
        if (interrupted())
            return OsError::Interrupted;
        HANDLE handle = handleOf(file);
        LONG high = 0;
        SetLastError(ERROR_SUCCESS);
        DWORD low = SetFilePointer(handle, 0, &high, FILE_CURRENT);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
            return lastError();
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & kLowHalf);
        at.OffsetHigh = static_cast<DWORD>(offset >> kHighHalfShift);
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

    // Windows has no call that copies part of one open file into another: through a buffer,
    // which knows which file failed.
    OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) override {
        std::vector<char> piece(kCopyPiece);
        while (size > 0) {
            std::size_t want = size < kCopyPiece ? static_cast<std::size_t>(size) : kCopyPiece;
            OsError result = readAt(from, offset, piece.data(), want);
            if (result != OsError::None)
                return result.on(OsError::Side::Source);
            result = write(to, piece.data(), want);
            if (result == OsError::Interrupted)
                return result;
            if (result != OsError::None)
                return result.on(OsError::Side::Target);
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
        size = joined(high, low);
        return OsError::None;
    }

    OsError flush(FileId file) override {
        return FlushFileBuffers(handleOf(file)) ? OsError::None : lastError();
    }

    void close(FileId file) override { CloseHandle(handleOf(file)); }

    // No view of a file here: the callers read instead.

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

    // Opened here rather than by CopyFileA, so that a failure says which file it was.
    OsError copy(const char* source, const char* target) override {
        FileId in = 0;
        OsError error = open(source, OpenMode::ReadShared, in);
        if (error != OsError::None)
            return error.on(OsError::Side::Source);
        std::uint64_t size = 0;
        error = fileSize(in, size);
        if (error != OsError::None) {
            close(in);
            return error.on(OsError::Side::Source);
        }
        // Opening the source itself without sharing fails here, before it is emptied.
        FileId out = 0;
        error = open(target, OpenMode::WriteTruncate, out);
        if (error != OsError::None) {
            close(in);
            return error.on(OsError::Side::Target);
        }
        error = copyRange(in, 0, out, size);
        close(in);
        close(out);
        return error;
    }

    OsError replace(const char* source, const char* target) override {
        return move(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }

    OsError replaceUnflushed(const char* source, const char* target) override {
        return move(source, target, MOVEFILE_REPLACE_EXISTING);
    }

    OsError move(const char* source, const char* target, DWORD flags) {
        DWORD attributes = GetFileAttributesA(target);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            return OsError(OsError::AccessDenied, ERROR_ACCESS_DENIED);
        return MoveFileExA(source, target, flags) ? OsError::None : lastError();
    }

    OsError info(const char* path, FileInfo& info) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
            return lastError();
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            fillInfo(data, info);
            return OsError::None;
        }
        // A link: what it leads to.
        BY_HANDLE_FILE_INFORMATION target;
        OsError error = followedInfo(path, target);
        if (error != OsError::None)
            return error;
        info.kind = kindOf(target.dwFileAttributes);
        info.size = joined(target.nFileSizeHigh, target.nFileSizeLow);
        info.modified = toUnixSeconds(target.ftLastWriteTime);
        return OsError::None;
    }

    OsError linkInfo(const char* path, FileInfo& info) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
            return lastError();
        fillInfo(data, info);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            info.kind = FileKind::Link;
        return OsError::None;
    }

    OsError identity(const char* path, FileIdentity& identity) override {
        BY_HANDLE_FILE_INFORMATION data;
        OsError error = followedInfo(path, data);
        if (error != OsError::None)
            return error;
        identity.device = data.dwVolumeSerialNumber;
        identity.node = joined(data.nFileIndexHigh, data.nFileIndexLow);
        return OsError::None;
    }

    OsError realPath(const char* path, std::string& real) override {
        std::string full;
        OsError error = askForPath(
            [&](char* buffer, DWORD capacity) {
                return GetFullPathNameA(path, capacity, buffer, nullptr);
            },
            full);
        if (error != OsError::None)
            return error;
        // Long names for 8.3 ones; it also finds out whether the path is there.
        return askForPath(
            [&](char* buffer, DWORD capacity) {
                return GetLongPathNameA(full.c_str(), buffer, capacity);
            },
            real);
    }

    OsError setModified(const char* path, std::int64_t modified) override {
        HANDLE handle = CreateFileA(path, GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return lastError();
        FILETIME time = fromUnixSeconds(modified);
        OsError result = SetFileTime(handle, nullptr, nullptr, &time) && FlushFileBuffers(handle)
                             ? OsError::None
                             : lastError();
        CloseHandle(handle);
        return result;
    }

    // Windows writes back on its own schedule; FlushFileBuffers waits for all of it.
    void startFlush(FileId, std::uint64_t, std::uint64_t) override {}

    OsError setFileModified(FileId file, std::int64_t modified) override {
        FILETIME time = fromUnixSeconds(modified);
        return SetFileTime(handleOf(file), nullptr, nullptr, &time) ? OsError::None : lastError();
    }

    OsError makeFolder(const char* path) override {
        if (CreateDirectoryA(path, nullptr))
            return OsError::None;
        DWORD code = GetLastError();
        DWORD attributes = GetFileAttributesA(path);
        if (code == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return OsError::None;
        // Something that is not a folder holds the name.
        return fromWin32(code);
    }

    OsError forEachEntry(const char* folder,
                         const std::function<void(const FolderEntry& entry)>& visit) override {
        std::string prefix(folder);
        if (prefix.empty() || (prefix.back() != '\\' && prefix.back() != '/'))
            prefix += '\\';
        std::string pattern = prefix + '*';
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            return code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES ? OsError::None
                                                                               : fromWin32(code);
        }
        struct Listed {
            std::string name;
            FileKind kind;
            bool isLink;
        };
        // Collect first: the visitor may change the folder.
        std::vector<Listed> entries;
        do {
            if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
                continue;
            Listed entry{found.cFileName, kindOf(found.dwFileAttributes),
                         (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
            // A link counts as what it leads to; one that leads nowhere is Other.
            BY_HANDLE_FILE_INFORMATION target;
            if (entry.isLink)
                entry.kind = followedInfo((prefix + entry.name).c_str(), target) == OsError::None
                                 ? kindOf(target.dwFileAttributes)
                                 : FileKind::Other;
            entries.push_back(entry);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        for (const Listed& entry : entries)
            visit(FolderEntry{entry.name.c_str(), entry.kind, entry.isLink});
        return OsError::None;
    }

    // No sharing at all: a second open, from any process, is a sharing violation.
    OsError lockFile(const char* path, FileId& file) override {
        HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return openFailure(path);
        }
        file = reinterpret_cast<FileId>(handle);
        return OsError::None;
    }

    SystemTime localTime() override { return fromSystemTime(currentLocalTime()); }

    // As Explorer shows a file's time: the bias in force now, which is also the one the FAT
    // driver converted the card's local time with.
    SystemTime localTimeOf(std::int64_t utcSeconds) override {
        FILETIME utc = fromUnixSeconds(utcSeconds), local;
        SYSTEMTIME fields{};
        if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &fields))
            return SystemTime{};
        return fromSystemTime(fields);
    }

    static SYSTEMTIME currentLocalTime() {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return now;
    }

    static SystemTime fromSystemTime(const SYSTEMTIME& now) {
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
        INT_PTR code = reinterpret_cast<INT_PTR>(result);
        if (code > kShellStarted)
            return OsError::None;
        switch (code) {
        case SE_ERR_NOASSOC:
        case SE_ERR_ASSOCINCOMPLETE:
            return OsError(OsError::NoHandler, static_cast<std::int32_t>(code));
        case SE_ERR_FNF:
        case SE_ERR_PNF:
            return OsError(OsError::NotFound, static_cast<std::int32_t>(code));
        default:
            return OsError(OsError::Other, static_cast<std::int32_t>(code));
        }
    }

    bool enforcesSharing() const override { return true; }

    std::uint32_t processId() override { return GetCurrentProcessId(); }
    // A process that has ended may still be open somewhere: its exit code then says so. No
    // such process is ERROR_INVALID_PARAMETER; any other refusal is one that is there.
    bool processRunning(std::uint32_t processId) override {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        if (!process)
            return GetLastError() != ERROR_INVALID_PARAMETER;
        DWORD code = 0;
        bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
        CloseHandle(process);
        return running;
    }

    bool isTerminal(StandardStream stream) override {
        HANDLE handle =
            GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
        DWORD mode = 0;
        return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
    }

    // Drive letters say which drive is removable; there is no mount table to read.
    OsError removableMedia(std::vector<RemovableMedium>& media) override {
        media = removableDrives(driveTypeOf);
        return OsError::None;
    }
    OsError mountedAt(const char* folder, bool& mounted) override {
        std::string path = folder;
        bool driveRoot = path.size() == kDriveRootLength && path[1] == ':' && path[2] == '\\';
        // An empty reader has no volume (Windows) or no root folder (Wine, which makes up a
        // volume for any drive it maps).
        DWORD attributes = GetFileAttributesA(folder);
        mounted =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            (!driveRoot ||
             GetVolumeInformationA(folder, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0);
        return OsError::None;
    }

    OsError waitForMountChange(int timeoutMilliseconds) override {
        DWORD wait =
            timeoutMilliseconds < 0
                ? kDriveLookMilliseconds
                : std::min<DWORD>(kDriveLookMilliseconds, static_cast<DWORD>(timeoutMilliseconds));
        return win32::sleepUnlessInterrupted(wait) ? OsError::Interrupted : OsError::None;
    }

    OsError flushVolume(const char* root) override {
        // A folder given by hand names no volume to flush.
        if (std::strlen(root) < 2 || root[1] != ':')
            return OsError::Unsupported;
        std::string volume = std::string(kVolumePrefix) + std::string(root, 2);
        HANDLE handle =
            CreateFileA(volume.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
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

    void notify(const std::string&, const std::string&) override {}

    void setSystemRoot(const std::string&) override {}

    void deferInterrupts() override { win32::deferInterrupts(); }
    void allowInterrupts() override { win32::allowInterrupts(); }
    bool interrupted() override { return win32::interrupted(); }

  private:
    static void fillInfo(const WIN32_FILE_ATTRIBUTE_DATA& data, FileInfo& info) {
        info.kind = kindOf(data.dwFileAttributes);
        info.size = joined(data.nFileSizeHigh, data.nFileSizeLow);
        info.modified = toUnixSeconds(data.ftLastWriteTime);
    }

    // Calls that write a path into a buffer and, when it is too small, give the size needed.
    template <typename Ask> static OsError askForPath(Ask ask, std::string& path) {
        std::vector<char> buffer(MAX_PATH);
        for (;;) {
            DWORD length = ask(buffer.data(), static_cast<DWORD>(buffer.size()));
            if (length == 0)
                return lastError();
            if (length < buffer.size()) {
                path.assign(buffer.data(), length);
                return OsError::None;
            }
            buffer.resize(length);
        }
    }
};

} // namespace

Platform& systemPlatform() {
    static Win32Platform platform;
    return platform;
}

} // namespace kovra
