// The POSIX implementation. Kovra builds Windows-style paths, so every path it is given has
// its backslashes read as '/'. There are no drive letters here and no mandatory share modes.
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace kovra {

namespace {

OsError fromErrno(int code) {
    switch (code) {
    case 0:
        return OsError::None;
    case ENOENT:
    case ENOTDIR:
        return OsError::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return OsError::AccessDenied;
    case EBUSY:
    case ETXTBSY:
        return OsError::SharingViolation;
    case ENAMETOOLONG:
        return OsError::TooLong;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return OsError::ShortWrite; // the disk, the user's share of it or the file is full
    default:
        return OsError::Other;
    }
}

OsError lastError() {
    return fromErrno(errno);
}

std::string nativePath(const char* path) {
    std::string native(path);
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

int retryOpen(const std::string& path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool isDirectory(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

OsError writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return lastError();
        if (put == 0)
            return OsError::ShortWrite;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return OsError::None;
}

// Appends size bytes of in, from offset, to out: by the kernel where it can copy between the
// two files, as cp does, else through a buffer.
OsError copyBytes(int in, std::uint64_t offset, int out, std::uint64_t size) {
    bool inKernel = true;
    std::vector<char> chunk;
    static constexpr std::size_t kChunk = 1 << 20;
    while (size > 0) {
        std::size_t want = size < kChunk ? static_cast<std::size_t>(size) : kChunk;
        ssize_t got;
        if (inKernel) {
            auto at = static_cast<off_t>(offset);
            got = copy_file_range(in, &at, out, nullptr, want, 0);
            // Not there, or not across these file systems: the buffer does it.
            if (got < 0 &&
                (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                continue;
            }
        } else {
            chunk.resize(kChunk);
            got = ::pread(in, chunk.data(), want, static_cast<off_t>(offset));
            if (got > 0) {
                OsError result = writeAll(out, chunk.data(), static_cast<std::size_t>(got));
                if (result != OsError::None)
                    return result;
            }
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return lastError();
        if (got == 0)
            return OsError::ShortRead;
        offset += static_cast<std::uint64_t>(got);
        size -= static_cast<std::uint64_t>(got);
    }
    return OsError::None;
}

class PosixPlatform final : public Platform {
  public:
    DriveType driveType(const char*) override { return DriveType::NoRootDir; }

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
        }
        int fd = retryOpen(nativePath(path), flags, 0666);
        if (fd < 0)
            return lastError();
        // Windows refuses to open a folder as a file; so do we.
        if (isDirectory(fd)) {
            ::close(fd);
            return OsError::AccessDenied;
        }
        file = fd;
        return OsError::None;
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
        ssize_t put;
        do {
            put = ::pwrite(static_cast<int>(file), data, size, static_cast<off_t>(offset));
        } while (put < 0 && errno == EINTR);
        if (put < 0)
            return lastError();
        return static_cast<std::size_t>(put) == size ? OsError::None : OsError::ShortWrite;
    }

    OsError write(FileId file, const void* data, std::size_t size) override {
        return writeAll(static_cast<int>(file), static_cast<const char*>(data), size);
    }

    OsError seek(FileId file, std::uint32_t offset) override {
        if (lseek(static_cast<int>(file), static_cast<off_t>(offset), SEEK_SET) < 0)
            return lastError();
        return OsError::None;
    }

    OsError copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) override {
        return copyBytes(static_cast<int>(from), offset, static_cast<int>(to), size);
    }

    OsError fileSize(FileId file, std::uint64_t& size) override {
        struct stat st;
        if (fstat(static_cast<int>(file), &st) != 0)
            return lastError();
        size = static_cast<std::uint64_t>(st.st_size);
        return OsError::None;
    }

    void close(FileId file) override { ::close(static_cast<int>(file)); }

    OsError tempPath(char* buffer, std::size_t capacity) override {
        const char* dir = std::getenv("TMPDIR");
        std::string path = dir && *dir ? dir : "/tmp";
        while (!path.empty() && path.back() == '/')
            path.pop_back();
        // Ends the way GetTempPathA's answer does, so names appended to it need nothing more.
        path += '\\';
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
        int in = retryOpen(nativePath(source), O_RDONLY);
        if (in < 0)
            return lastError();
        struct stat from;
        if (fstat(in, &from) != 0 || S_ISDIR(from.st_mode)) {
            ::close(in);
            return OsError::AccessDenied;
        }
        std::string targetPath = nativePath(target);
        // Copying a file onto itself would empty it before reading it.
        struct stat to;
        if (stat(targetPath.c_str(), &to) == 0 && to.st_dev == from.st_dev &&
            to.st_ino == from.st_ino) {
            ::close(in);
            return OsError::SharingViolation;
        }
        int out = retryOpen(targetPath, O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (out < 0) {
            OsError error = lastError();
            ::close(in);
            return error;
        }
        OsError result = copyBytes(in, 0, out, static_cast<std::uint64_t>(from.st_size));
        ::close(in);
        if (::close(out) != 0 && result == OsError::None)
            result = lastError();
        return result;
    }

    OsError replace(const char* source, const char* target) override {
        std::string to = nativePath(target);
        // rename() would replace a file nobody may write to; Windows refuses a read-only one.
        struct stat st;
        if (stat(to.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return OsError::AccessDenied;
        return ::rename(nativePath(source).c_str(), to.c_str()) == 0 ? OsError::None : lastError();
    }

    OsError info(const char* path, FileInfo& info) override {
        struct stat st;
        if (stat(nativePath(path).c_str(), &st) != 0)
            return lastError();
        info.isFolder = S_ISDIR(st.st_mode);
        info.size = static_cast<std::uint64_t>(st.st_size);
        info.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec);
        return OsError::None;
    }

    OsError setModified(const char* path, std::int64_t modified) override {
        timespec times[2]{};
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = static_cast<time_t>(modified);
        return utimensat(AT_FDCWD, nativePath(path).c_str(), times, 0) == 0 ? OsError::None
                                                                            : lastError();
    }

    OsError makeFolder(const char* path) override {
        std::string native = nativePath(path);
        if (mkdir(native.c_str(), 0777) == 0)
            return OsError::None;
        int code = errno;
        struct stat st;
        if (code == EEXIST && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return OsError::None;
        return code == EEXIST ? OsError::AccessDenied : fromErrno(code);
    }

    OsError
    forEachEntry(const char* folder,
                 const std::function<void(const char* name, bool isFolder)>& visit) override {
        std::string dir = nativePath(folder);
        if (dir.empty() || dir.back() != '/')
            dir += '/';
        DIR* listing = opendir(dir.c_str());
        if (!listing)
            return lastError();
        std::vector<std::pair<std::string, bool>> entries;
        while (dirent* entry = readdir(listing)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            bool isFolder = entry->d_type == DT_DIR;
            // Links, and file systems that do not say, are asked; a link counts as what it names.
            if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
                struct stat st;
                std::string full = dir + entry->d_name;
                isFolder = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            }
            entries.emplace_back(entry->d_name, isFolder);
        }
        closedir(listing);
        for (const auto& [name, isFolder] : entries)
            visit(name.c_str(), isFolder);
        return OsError::None;
    }

    SystemTime localTime() override {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::tm local{};
        localtime_r(&now.tv_sec, &local);
        SystemTime time;
        time.year = static_cast<std::uint16_t>(local.tm_year + 1900);
        time.month = static_cast<std::uint16_t>(local.tm_mon + 1);
        time.dayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
        time.day = static_cast<std::uint16_t>(local.tm_mday);
        time.hour = static_cast<std::uint16_t>(local.tm_hour);
        time.minute = static_cast<std::uint16_t>(local.tm_min);
        time.second = static_cast<std::uint16_t>(local.tm_sec);
        time.milliseconds = static_cast<std::uint16_t>(now.tv_nsec / 1000000);
        return time;
    }

    // Starts xdg-open without a shell and without waiting for it: a short-lived child spawns
    // it and exits at once, so the opener is never left behind as a zombie of ours.
    OsError shellOpen(const char* path) override {
        std::string native = nativePath(path);
        pid_t child = fork();
        if (child < 0)
            return lastError();
        if (child == 0) {
            char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(native.c_str()),
                            nullptr};
            pid_t opener;
            int rc = posix_spawnp(&opener, "xdg-open", nullptr, nullptr, argv, environ);
            _exit(rc == 0 ? 0 : 1);
        }
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? OsError::None : OsError::NotFound;
    }

    bool enforcesSharing() const override { return false; }
};

} // namespace

Platform& systemPlatform() {
    static PosixPlatform platform;
    return platform;
}

} // namespace kovra
