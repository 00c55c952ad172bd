// Paths and folders on POSIX: opening and locking by name, listings, copies, moves and what a
// name is.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/posix/descriptor.h"
#include "platform/posix/errors.h"
#include "platform/posix/file_calls.h"
#include "platform/posix/file_copy.h"
#include "platform/posix/retry.h"
#include "platform/posix/system_platform.h"

namespace kovra::posix {

namespace {

constexpr mode_t kNewFolderMode = 0777;

// The folder a path lies in, for flushing its entries.
std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void fillInfo(const struct stat& st, FileInfo& info) {
    info.kind = kindOf(st.st_mode);
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

struct ListedEntry {
    std::string name;
    FileKind kind;
    bool isLink;
};

// What a listed name is, from the listing itself where the file system says.
ListedEntry listed(const std::string& dir, const dirent& entry) {
    ListedEntry result{entry.d_name, FileKind::Other, false};
    switch (entry.d_type) {
    case DT_REG:
        result.kind = FileKind::File;
        return result;
    case DT_DIR:
        result.kind = FileKind::Folder;
        return result;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default: // a FIFO, a device, a socket
        return result;
    }
    std::string full = dir + entry.d_name;
    struct stat st;
    if (entry.d_type == DT_UNKNOWN) {
        if (lstat(full.c_str(), &st) != 0)
            return result;
        result.isLink = S_ISLNK(st.st_mode);
        if (!result.isLink) {
            result.kind = kindOf(st.st_mode);
            return result;
        }
    } else {
        result.isLink = true;
    }
    // A link counts as what it leads to; one that leads nowhere is Other.
    if (stat(full.c_str(), &st) == 0)
        result.kind = kindOf(st.st_mode);
    return result;
}

// A name moved is durable once both folders' entries are: the new name's, and the old one's
// where it was another folder.
OsError flushMoved(const std::string& from, const std::string& to) {
    OsError error = flushEntries(folderOf(to));
    if (error == OsError::None && folderOf(from) != folderOf(to))
        error = flushEntries(folderOf(from));
    return error;
}

int openFlags(OpenMode mode) {
    int flags = 0;
    switch (mode) {
    case OpenMode::ReadShared:
        flags = O_RDONLY;
        break;
    case OpenMode::WriteTruncate:
        flags = O_WRONLY | O_CREAT | O_TRUNC;
        break;
    case OpenMode::ReadWriteExclusive:
        flags = O_RDWR | O_CREAT;
        break;
    case OpenMode::CreateNew:
        // O_EXCL refuses a link too, even one that leads nowhere.
        flags = O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    return flags;
}

} // namespace

OsError PosixPlatform::open(const char* path, OpenMode mode, FileId& file) {
    int fd = -1;
    OsError error = openRegular(nativePath(path), openFlags(mode), fd);
    if (error == OsError::None)
        file = fd;
    return error;
}

OsError PosixPlatform::openSized(const char* path, OpenMode mode, FileId& file,
                                 std::uint64_t& size) {
    int fd = -1;
    OsError error = openRegular(nativePath(path), openFlags(mode), fd, &size);
    if (error == OsError::None)
        file = fd;
    return error;
}

OsError PosixPlatform::lockFile(const char* path, FileId& file) {
    // A link at the lock's name is not followed: it could make Kovra create a file wherever it
    // points, outside the folder it was given.
    Descriptor fd(
        openDescriptor(nativePath(path), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW, kNewFileMode));
    if (!fd.isOpen())
        return lastError();
    if (retryOnInterrupt([&] { return flock(fd.get(), LOCK_EX | LOCK_NB); }) != 0) {
        int code = errno;
        return code == EWOULDBLOCK ? OsError(OsError::SharingViolation, code) : fromErrno(code);
    }
    file = fd.release();
    return OsError::None;
}

OsError PosixPlatform::tempPath(char* buffer, std::size_t capacity) {
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir && *dir ? dir : "/tmp";
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    // Ends in a separator as GetTempPathA's answer does, so names appended to it need nothing
    // more.
    path += '/';
    if (path.size() + 1 > capacity)
        return OsError::TooLong;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return OsError::None;
}

OsError PosixPlatform::forEachMatch(const char* pattern,
                                    const std::function<void(const char* name)>& visit) {
    std::string native = nativePath(pattern);
    std::size_t slash = native.rfind('/');
    std::string dir = slash == std::string::npos ? "." : native.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    DIR* listing = opendir(dir.c_str());
    if (!listing)
        return lastError();
    // Collect first: the visitor may delete what it is shown.
    std::vector<std::string> matches;
    while (dirent* entry = readdir(listing)) {
        // Windows matches names without regard to case.
        if (fnmatch(name.c_str(), entry->d_name, FNM_CASEFOLD) != 0)
            continue;
        struct stat st;
        std::string full = dir + entry->d_name;
        if (stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        matches.push_back(entry->d_name);
    }
    closedir(listing);
    for (const std::string& match : matches)
        visit(match.c_str());
    return OsError::None;
}

bool PosixPlatform::exists(const char* path) {
    struct stat st;
    return stat(nativePath(path).c_str(), &st) == 0;
}

OsError PosixPlatform::remove(const char* path) {
    return unlink(nativePath(path).c_str()) == 0 ? OsError::None : lastError();
}

OsError PosixPlatform::copy(const char* source, const char* target) {
    int opened = -1;
    OsError error = openRegular(nativePath(source), O_RDONLY, opened);
    Descriptor in(opened);
    if (error != OsError::None)
        return error.on(OsError::Side::Source);
    struct stat from;
    if (fstat(in.get(), &from) != 0)
        return lastError().on(OsError::Side::Source);
    std::string targetPath = nativePath(target);
    // Copying a file onto itself would empty it before reading it.
    struct stat to;
    if (stat(targetPath.c_str(), &to) == 0 && to.st_dev == from.st_dev && to.st_ino == from.st_ino)
        return OsError(OsError::SharingViolation).on(OsError::Side::Target);
    error = openRegular(targetPath, O_WRONLY | O_CREAT | O_TRUNC, opened);
    Descriptor out(opened);
    if (error != OsError::None)
        return error.on(OsError::Side::Target);
    OsError result = copyBytes(in.get(), 0, out.get(), static_cast<std::uint64_t>(from.st_size));
    in.close();
    if (out.close() != 0 && result == OsError::None)
        result = lastError().on(OsError::Side::Target);
    return result;
}

OsError PosixPlatform::replaceUnflushed(const char* source, const char* target) {
    std::string to = nativePath(target);
    // rename() would replace a file nobody may write to; Windows refuses a read-only one.
    struct stat st;
    if (stat(to.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return OsError(OsError::AccessDenied, EACCES);
    return ::rename(nativePath(source).c_str(), to.c_str()) == 0 ? OsError::None : lastError();
}

OsError PosixPlatform::replace(const char* source, const char* target) {
    std::string from = nativePath(source);
    std::string to = nativePath(target);
    OsError moved = replaceUnflushed(source, target);
    return moved != OsError::None ? moved : flushMoved(from, to);
}

OsError PosixPlatform::moveToNewName(const char* source, const char* target) {
    std::string from = nativePath(source);
    std::string to = nativePath(target);
    OsError moved = OsError::None;
#ifdef RENAME_NOREPLACE
    // glibc 2.28 and later; a kernel or file system that knows no RENAME_NOREPLACE (some
    // network file systems, FUSE) says EINVAL, and one without the call ENOSYS.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        int code = errno;
        moved = code == EINVAL || code == ENOSYS || code == EOPNOTSUPP || code == ENOTSUP
                    ? linkThenUnlink(from, to)
                    : fromErrno(code);
    }
#else
    moved = linkThenUnlink(from, to);
#endif
    return moved != OsError::None ? moved : flushMoved(from, to);
}

OsError PosixPlatform::replaceFlushedLater(const char* source, const char* target) {
    if (folderOf(nativePath(source)) != folderOf(nativePath(target)))
        return replace(source, target);
    return replaceUnflushed(source, target);
}

OsError PosixPlatform::flushFolder(const char* folder) {
    return flushEntries(nativePath(folder));
}

OsError PosixPlatform::info(const char* path, FileInfo& info) {
    struct stat st;
    if (stat(nativePath(path).c_str(), &st) != 0)
        return lastError();
    fillInfo(st, info);
    return OsError::None;
}

OsError PosixPlatform::linkInfo(const char* path, FileInfo& info) {
    struct stat st;
    if (lstat(nativePath(path).c_str(), &st) != 0)
        return lastError();
    fillInfo(st, info);
    return OsError::None;
}

OsError PosixPlatform::identity(const char* path, FileIdentity& identity) {
    struct stat st;
    if (stat(nativePath(path).c_str(), &st) != 0)
        return lastError();
    identity.device = static_cast<std::uint64_t>(st.st_dev);
    identity.node = static_cast<std::uint64_t>(st.st_ino);
    return OsError::None;
}

OsError PosixPlatform::realPath(const char* path, std::string& real) {
    char* resolved = ::realpath(nativePath(path).c_str(), nullptr);
    if (!resolved)
        return lastError();
    real = resolved;
    std::free(resolved);
    return OsError::None;
}

// Read-only access is enough to set the time (the owner may) and to flush it.
OsError PosixPlatform::setModified(const char* path, std::int64_t modified) {
    Descriptor fd(openDescriptor(nativePath(path), O_RDONLY | O_NONBLOCK));
    if (!fd.isOpen())
        return lastError();
    // The access time is set too, to now: some FAT drivers (fusefat) drop a change that leaves
    // it out.
    timespec times[2]{};
    times[0].tv_nsec = UTIME_NOW;
    times[1].tv_sec = static_cast<time_t>(modified);
    return futimens(fd.get(), times) == 0 ? flushDescriptor(fd.get()) : lastError();
}

OsError PosixPlatform::makeFolder(const char* path) {
    std::string native = nativePath(path);
    if (mkdir(native.c_str(), kNewFolderMode) == 0)
        return OsError::None;
    int code = errno;
    struct stat st;
    if (code == EEXIST && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return OsError::None;
    // Something that is not a folder holds the name (a file, a link to nothing).
    return fromErrno(code);
}

OsError PosixPlatform::removeEmptyFolder(const char* path) {
    return rmdir(nativePath(path).c_str()) == 0 ? OsError::None : lastError();
}

OsError PosixPlatform::forEachEntry(const char* folder,
                                    const std::function<void(const FolderEntry& entry)>& visit) {
    std::string dir = nativePath(folder);
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    DIR* listing = opendir(dir.c_str());
    if (!listing)
        return lastError();
    std::vector<ListedEntry> entries;
    while (dirent* entry = readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        entries.push_back(listed(dir, *entry));
    }
    closedir(listing);
    // Visited once the listing is closed: the visitor may change the folder.
    for (const ListedEntry& entry : entries)
        visit(FolderEntry{entry.name.c_str(), entry.kind, entry.isLink});
    return OsError::None;
}

} // namespace kovra::posix
