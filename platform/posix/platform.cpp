// The POSIX implementation. A path is taken as it is given: '\' is a character of a name here,
// never a separator. There are no drive letters here and no mandatory share modes.
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

#include "platform/posix/errors.h"
#include "platform/posix/file_copy.h"
#include "platform/posix/interrupts.h"
#include "platform/posix/mount_watch.h"
#include "platform/posix/mounted_media.h"
#include "platform/posix/notify.h"
#include "platform/posix/shell_open.h"

namespace kovra {

namespace {

using posix::fromErrno;
using posix::interrupted;
using posix::lastError;

// Mapping needs the address space of a 64-bit process: a video may be larger than a 32-bit
// one has free.
constexpr std::size_t kMappingPointerSize = 8;
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kNewFolderMode = 0777;

// A card may name a file "..\..\x.avi": read as '/', it would lead out of every folder given.
std::string nativePath(const char* path) {
    return path;
}

// The folder a path lies in, for flushing its entries.
std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

int retryOpen(const std::string& path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

FileKind kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return FileKind::File;
    if (S_ISDIR(mode))
        return FileKind::Folder;
    if (S_ISLNK(mode))
        return FileKind::Link;
    return FileKind::Other;
}

void fillInfo(const struct stat& st, FileInfo& info) {
    info.kind = kindOf(st.st_mode);
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

// Opens a regular file and nothing else. O_NONBLOCK keeps a FIFO from waiting for its other
// end; once the file is known to be regular, its reads and writes block again as usual.
OsError openRegular(const std::string& path, int flags, int& fd) {
    fd = retryOpen(path, flags | O_NONBLOCK, kNewFileMode);
    if (fd < 0) {
        int code = errno;
        // A FIFO without a reader, or a device without its hardware.
        if (code == ENXIO || code == ENODEV)
            return OsError(OsError::NotAFile, code);
        return fromErrno(code);
    }
    struct stat st;
    OsError refused = OsError::None;
    if (fstat(fd, &st) != 0)
        refused = lastError();
    else if (S_ISDIR(st.st_mode))
        refused = OsError(OsError::IsFolder, EISDIR);
    else if (!S_ISREG(st.st_mode))
        refused = OsError::NotAFile;
    else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        refused = lastError();
    if (refused != OsError::None) {
        ::close(fd);
        fd = -1;
    }
    return refused;
}

// Makes a folder's entries (a rename into it) durable.
OsError flushEntries(const std::string& folder) {
    int fd = retryOpen(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return lastError();
    int result;
    do {
        result = fsync(fd);
    } while (result != 0 && errno == EINTR);
    OsError error = result == 0 ? OsError::None : lastError();
    ::close(fd);
    // Some file systems cannot flush a folder at all; the move itself has been made.
    return error.native() == EINVAL ? OsError::None : error;
}

OsError flushFd(int fd) {
    int result;
    do {
        result = fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? OsError::None : lastError();
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

class PosixPlatform final : public Platform {
  public:
    // A write past the limit set for the process (ulimit -f) fails with EFBIG instead of
    // ending the process.
    PosixPlatform() { signal(SIGXFSZ, SIG_IGN); }

    OsError open(const char* path, OpenMode mode, FileId& file) override {
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
        int fd = -1;
        OsError error = openRegular(nativePath(path), flags, fd);
        if (error == OsError::None)
            file = fd;
        return error;
    }

    OsError read(FileId file, void* buffer, std::size_t size) override {
        ssize_t got;
        do {
            got = ::read(static_cast<int>(file), buffer, size);
        } while (got < 0 && errno == EINTR);
        if (got < 0)
            return lastError();
        return static_cast<std::size_t>(got) == size ? OsError::None : OsError::ShortRead;
    }

    OsError readAt(FileId file, std::uint64_t offset, void* buffer, std::size_t size) override {
        ssize_t got;
        do {
            got = ::pread(static_cast<int>(file), buffer, size, static_cast<off_t>(offset));
        } while (got < 0 && errno == EINTR);
        if (got < 0)
            return lastError();
        return static_cast<std::size_t>(got) == size ? OsError::None : OsError::ShortRead;
    }

    OsError setSize(FileId file, std::uint64_t size) override {
        int fd = static_cast<int>(file);
        int result;
        do {
            result = ::ftruncate(fd, static_cast<off_t>(size));
        } while (result < 0 && errno == EINTR);
        if (result < 0 || ::lseek(fd, static_cast<off_t>(size), SEEK_SET) < 0)
            return lastError();
        return OsError::None;
    }

    OsError writeAt(FileId file, std::uint64_t offset, const void* data,
                    std::size_t size) override {
        if (interrupted())
            return OsError::Interrupted;
        ssize_t put;
        do {
            put = ::pwrite(static_cast<int>(file), data, size, static_cast<off_t>(offset));
        } while (put < 0 && errno == EINTR);
        if (put < 0)
            return lastError();
        return static_cast<std::size_t>(put) == size ? OsError::None : OsError::ShortWrite;
    }

    OsError write(FileId file, const void* data, std::size_t size) override {
        if (interrupted())
            return OsError::Interrupted;
        return posix::writeAll(static_cast<int>(file), data, size);
    }

    OsError seek(FileId file, std::uint32_t offset) override {
        if (lseek(static_cast<int>(file), static_cast<off_t>(offset), SEEK_SET) < 0)
            return lastError();
        return OsError::None;
    }

    OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) override {
        return posix::copyBytes(static_cast<int>(from), offset, static_cast<int>(to), size);
    }

    OsError fileSize(FileId file, std::uint64_t& size) override {
        struct stat st;
        if (fstat(static_cast<int>(file), &st) != 0)
            return lastError();
        size = static_cast<std::uint64_t>(st.st_size);
        return OsError::None;
    }

    OsError flush(FileId file) override { return flushFd(static_cast<int>(file)); }

    void close(FileId file) override { ::close(static_cast<int>(file)); }

    OsError tempPath(char* buffer, std::size_t capacity) override {
        const char* dir = std::getenv("TMPDIR");
        std::string path = dir && *dir ? dir : "/tmp";
        while (!path.empty() && path.back() == '/')
            path.pop_back();
        // Ends in a separator as GetTempPathA's answer does, so names appended to it need
        // nothing more.
        path += '/';
        if (path.size() + 1 > capacity)
            return OsError::TooLong;
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return OsError::None;
    }

    OsError forEachMatch(const char* pattern,
                         const std::function<void(const char* name)>& visit) override {
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

    bool exists(const char* path) override {
        struct stat st;
        return stat(nativePath(path).c_str(), &st) == 0;
    }

    OsError remove(const char* path) override {
        return unlink(nativePath(path).c_str()) == 0 ? OsError::None : lastError();
    }

    OsError copy(const char* source, const char* target) override {
        int in = -1;
        OsError error = openRegular(nativePath(source), O_RDONLY, in);
        if (error != OsError::None)
            return error.on(OsError::Side::Source);
        struct stat from;
        if (fstat(in, &from) != 0) {
            error = lastError();
            ::close(in);
            return error.on(OsError::Side::Source);
        }
        std::string targetPath = nativePath(target);
        // Copying a file onto itself would empty it before reading it.
        struct stat to;
        if (stat(targetPath.c_str(), &to) == 0 && to.st_dev == from.st_dev &&
            to.st_ino == from.st_ino) {
            ::close(in);
            return OsError(OsError::SharingViolation).on(OsError::Side::Target);
        }
        int out = -1;
        error = openRegular(targetPath, O_WRONLY | O_CREAT | O_TRUNC, out);
        if (error != OsError::None) {
            ::close(in);
            return error.on(OsError::Side::Target);
        }
        OsError result = posix::copyBytes(in, 0, out, static_cast<std::uint64_t>(from.st_size));
        ::close(in);
        if (::close(out) != 0 && result == OsError::None)
            result = lastError().on(OsError::Side::Target);
        return result;
    }

    OsError replaceUnflushed(const char* source, const char* target) override {
        std::string to = nativePath(target);
        // rename() would replace a file nobody may write to; Windows refuses a read-only one.
        struct stat st;
        if (stat(to.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return OsError(OsError::AccessDenied, EACCES);
        return ::rename(nativePath(source).c_str(), to.c_str()) == 0 ? OsError::None : lastError();
    }

    OsError replace(const char* source, const char* target) override {
        std::string from = nativePath(source);
        std::string to = nativePath(target);
        OsError moved = replaceUnflushed(source, target);
        if (moved != OsError::None)
            return moved;
        OsError error = flushEntries(folderOf(to));
        if (error == OsError::None && folderOf(from) != folderOf(to))
            error = flushEntries(folderOf(from));
        return error;
    }

    OsError replaceFlushedLater(const char* source, const char* target) override {
        if (folderOf(nativePath(source)) != folderOf(nativePath(target)))
            return replace(source, target);
        return replaceUnflushed(source, target);
    }

    OsError flushFolder(const char* folder) override { return flushEntries(nativePath(folder)); }

    OsError info(const char* path, FileInfo& info) override {
        struct stat st;
        if (stat(nativePath(path).c_str(), &st) != 0)
            return lastError();
        fillInfo(st, info);
        return OsError::None;
    }

    OsError linkInfo(const char* path, FileInfo& info) override {
        struct stat st;
        if (lstat(nativePath(path).c_str(), &st) != 0)
            return lastError();
        fillInfo(st, info);
        return OsError::None;
    }

    OsError identity(const char* path, FileIdentity& identity) override {
        struct stat st;
        if (stat(nativePath(path).c_str(), &st) != 0)
            return lastError();
        identity.device = static_cast<std::uint64_t>(st.st_dev);
        identity.node = static_cast<std::uint64_t>(st.st_ino);
        return OsError::None;
    }

    OsError realPath(const char* path, std::string& real) override {
        char* resolved = ::realpath(nativePath(path).c_str(), nullptr);
        if (!resolved)
            return lastError();
        real = resolved;
        std::free(resolved);
        return OsError::None;
    }

    // Read-only access is enough to set the time (the owner may) and to flush it.
    OsError setModified(const char* path, std::int64_t modified) override {
        int fd = retryOpen(nativePath(path), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return lastError();
        // The access time is set too, to now: some FAT drivers (fusefat) drop a change that
        // leaves it out.
        timespec times[2]{};
        times[0].tv_nsec = UTIME_NOW;
        times[1].tv_sec = static_cast<time_t>(modified);
        OsError result = futimens(fd, times) == 0 ? flushFd(fd) : lastError();
        ::close(fd);
        return result;
    }

    void startFlush(FileId file, std::uint64_t offset, std::uint64_t size) override {
        sync_file_range(static_cast<int>(file), static_cast<off_t>(offset),
                        static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
    }

    OsError setFileModified(FileId file, std::int64_t modified) override {
        timespec times[2]{};
        times[0].tv_nsec = UTIME_NOW;
        times[1].tv_sec = static_cast<time_t>(modified);
        return futimens(static_cast<int>(file), times) == 0 ? OsError::None : lastError();
    }

    OsError makeFolder(const char* path) override {
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

    OsError forEachEntry(const char* folder,
                         const std::function<void(const FolderEntry& entry)>& visit) override {
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

    OsError lockFile(const char* path, FileId& file) override {
        // A link at the lock's name is not followed: it could make Kovra create a file wherever
        // it points, outside the folder it was given.
        int fd =
            retryOpen(nativePath(path), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW, kNewFileMode);
        if (fd < 0)
            return lastError();
        int result;
        do {
            result = flock(fd, LOCK_EX | LOCK_NB);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            int code = errno;
            ::close(fd);
            return code == EWOULDBLOCK ? OsError(OsError::SharingViolation, code) : fromErrno(code);
        }
        file = fd;
        return OsError::None;
    }

    SystemTime localTime() override {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        SystemTime time = localTimeOf(now.tv_sec);
        time.milliseconds = static_cast<std::uint16_t>(now.tv_nsec / 1000000);
        return time;
    }

    SystemTime localTimeOf(std::int64_t utcSeconds) override {
        auto moment = static_cast<time_t>(utcSeconds);
        std::tm local{};
        localtime_r(&moment, &local);
        SystemTime time;
        time.year = static_cast<std::uint16_t>(local.tm_year + 1900);
        time.month = static_cast<std::uint16_t>(local.tm_mon + 1);
        time.dayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
        time.day = static_cast<std::uint16_t>(local.tm_mday);
        time.hour = static_cast<std::uint16_t>(local.tm_hour);
        time.minute = static_cast<std::uint16_t>(local.tm_min);
        time.second = static_cast<std::uint16_t>(local.tm_sec);
        return time;
    }

    OsError shellOpen(const char* path) override {
        return posix::shellOpen(nativePath(path).c_str());
    }

    bool enforcesSharing() const override { return false; }

    std::uint32_t processId() override { return static_cast<std::uint32_t>(getpid()); }
    // Signal 0 only asks: ESRCH is no such process, EPERM one that is there but not ours. 0
    // and numbers past pid_t would ask about a group of processes, and name no one.
    bool processRunning(std::uint32_t processId) override {
        if (processId == 0 ||
            processId > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max()))
            return false;
        return kill(static_cast<pid_t>(processId), 0) == 0 || errno != ESRCH;
    }

    bool isTerminal(StandardStream stream) override {
        return isatty(stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
    }

    OsError removableMedia(std::vector<RemovableMedium>& media) override {
        return posix::findMountedMedia(systemRoot_, media);
    }

    OsError mountedAt(const char* folder, bool& mounted) override {
        std::string path = nativePath(folder);
        OsError error = posix::findMountAt(systemRoot_, path, mounted);
        // The table lists mount points with their links resolved.
        char* real =
            error == OsError::None && !mounted ? ::realpath(path.c_str(), nullptr) : nullptr;
        if (real) {
            error = posix::findMountAt(systemRoot_, real, mounted);
            std::free(real);
        }
        return error;
    }

    OsError waitForMountChange(int timeoutMilliseconds) override {
        return mountWatch_.wait(systemRoot_, timeoutMilliseconds);
    }

    OsError flushVolume(const char* root) override {
        int fd = ::open(nativePath(root).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return lastError();
        OsError error = syncfs(fd) == 0 ? OsError::None : lastError();
        ::close(fd);
        return error;
    }

    void notify(const std::string& title, const std::string& text) override {
        posix::notify(title, text);
    }

    void setSystemRoot(const std::string& root) override { systemRoot_ = root; }

    void deferInterrupts() override { posix::deferInterrupts(); }
    void allowInterrupts() override { posix::allowInterrupts(); }
    bool interrupted() override { return posix::interrupted(); }

  private:
    std::string systemRoot_;
    posix::MountWatch mountWatch_;
};

} // namespace

Platform& systemPlatform() {
    static PosixPlatform platform;
    return platform;
}

} // namespace kovra
