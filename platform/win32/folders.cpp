// Paths and folders on Windows: opening and locking by name, searches, copies, moves and what
// a name is.
#include <cstring>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/win32/errors.h"
#include "platform/win32/file_calls.h"
#include "platform/win32/system_platform.h"

namespace kovra::win32 {

namespace {

void fillInfo(const WIN32_FILE_ATTRIBUTE_DATA& data, FileInfo& info) {
    info.kind = kindOf(data.dwFileAttributes);
    info.size = joined(data.nFileSizeHigh, data.nFileSizeLow);
    info.modified = toUnixSeconds(data.ftLastWriteTime);
}

// Calls that write a path into a buffer and, when it is too small, give the size needed.
template <typename Ask> OsError askForPath(Ask ask, std::string& path) {
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

// A move that refuses a read-only target, as rename() is made to on POSIX.
OsError move(const char* source, const char* target, DWORD flags) {
    DWORD attributes = GetFileAttributesA(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return OsError(OsError::AccessDenied, ERROR_ACCESS_DENIED);
    return MoveFileExA(source, target, flags) ? OsError::None : lastError();
}

} // namespace

OsError Win32Platform::open(const char* path, OpenMode mode, FileId& file) {
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
    if (handle == INVALID_HANDLE_VALUE)
        return openFailure(path);
    // CON, NUL, a pipe: nothing Kovra reads or replaces.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return OsError::NotAFile;
    }
    file = reinterpret_cast<FileId>(handle);
    return OsError::None;
}

// No sharing at all: a second open, from any process, is a sharing violation.
OsError Win32Platform::lockFile(const char* path, FileId& file) {
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return openFailure(path);
    file = reinterpret_cast<FileId>(handle);
    return OsError::None;
}

OsError Win32Platform::tempPath(char* buffer, std::size_t capacity) {
    DWORD length = GetTempPathA(static_cast<DWORD>(capacity), buffer);
    if (length == 0)
        return lastError();
    // On a buffer too small, the call gives the size it would need and writes nothing.
    if (length >= capacity)
        return OsError::TooLong;
    return OsError::None;
}

OsError Win32Platform::forEachMatch(const char* pattern,
                                    const std::function<void(const char* name)>& visit) {
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
bool Win32Platform::exists(const char* path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

OsError Win32Platform::remove(const char* path) {
    return DeleteFileA(path) ? OsError::None : lastError();
}

// Opened here rather than by CopyFileA, so that a failure says which file it was.
OsError Win32Platform::copy(const char* source, const char* target) {
    File in(*this, source, OpenMode::ReadShared);
    if (!in.isOpen())
        return in.openError().on(OsError::Side::Source);
    std::uint64_t size = 0;
    OsError error = fileSize(in.id(), size);
    if (error != OsError::None)
        return error.on(OsError::Side::Source);
    // Opening the source itself without sharing fails here, before it is emptied.
    File out(*this, target, OpenMode::WriteTruncate);
    if (!out.isOpen())
        return out.openError().on(OsError::Side::Target);
    error = copyRange(in.id(), 0, out.id(), size);
    in.close();
    out.close();
    return error;
}

OsError Win32Platform::replace(const char* source, const char* target) {
    return move(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

OsError Win32Platform::replaceUnflushed(const char* source, const char* target) {
    return move(source, target, MOVEFILE_REPLACE_EXISTING);
}

// Without MOVEFILE_REPLACE_EXISTING a name that is held is ERROR_ALREADY_EXISTS, whatever holds
// it; written through, as replace() is.
OsError Win32Platform::moveToNewName(const char* source, const char* target) {
    return MoveFileExA(source, target, MOVEFILE_WRITE_THROUGH) ? OsError::None : lastError();
}

OsError Win32Platform::info(const char* path, FileInfo& info) {
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

OsError Win32Platform::linkInfo(const char* path, FileInfo& info) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return lastError();
    fillInfo(data, info);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        info.kind = FileKind::Link;
    return OsError::None;
}

OsError Win32Platform::identity(const char* path, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION data;
    OsError error = followedInfo(path, data);
    if (error != OsError::None)
        return error;
    identity.device = data.dwVolumeSerialNumber;
    identity.node = joined(data.nFileIndexHigh, data.nFileIndexLow);
    return OsError::None;
}

OsError Win32Platform::realPath(const char* path, std::string& real) {
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

OsError Win32Platform::setModified(const char* path, std::int64_t modified) {
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

OsError Win32Platform::makeFolder(const char* path) {
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

OsError Win32Platform::removeEmptyFolder(const char* path) {
    return RemoveDirectoryA(path) ? OsError::None : lastError();
}

OsError Win32Platform::forEachEntry(const char* folder,
                                    const std::function<void(const FolderEntry& entry)>& visit) {
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

} // namespace kovra::win32
