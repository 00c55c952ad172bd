#include "platform/posix/file_calls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/descriptor.h"
#include "platform/posix/errors.h"
#include "platform/posix/retry.h"

namespace kovra::posix {

int openDescriptor(const std::string& path, int flags, mode_t mode) {
    return retryOnInterrupt([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); });
}

// O_NONBLOCK keeps a FIFO from waiting for its other end. It is left set on the regular file
// that is kept: on one it changes nothing (open(2)), and clearing it would cost two calls an
// open, which a listing of many small files pays for each.
OsError openRegular(const std::string& path, int flags, int& fd, std::uint64_t* size) {
    Descriptor opened(openDescriptor(path, flags | O_NONBLOCK, kNewFileMode));
    fd = -1;
    if (!opened.isOpen()) {
        int code = errno;
        // A FIFO without a reader, or a device without its hardware.
        if (code == ENXIO || code == ENODEV)
            return OsError(OsError::NotAFile, code);
        return fromErrno(code);
    }
    struct stat st;
    if (fstat(opened.get(), &st) != 0)
        return lastError();
    if (S_ISDIR(st.st_mode))
        return OsError(OsError::IsFolder, EISDIR);
    if (!S_ISREG(st.st_mode))
        return OsError::NotAFile;
    if (size)
        *size = static_cast<std::uint64_t>(st.st_size);
    fd = opened.release();
    return OsError::None;
}

OsError flushDescriptor(int fd) {
    return retryOnInterrupt([&] { return fsync(fd); }) == 0 ? OsError::None : lastError();
}

OsError flushEntries(const std::string& folder) {
    Descriptor fd(openDescriptor(folder, O_RDONLY | O_DIRECTORY));
    if (!fd.isOpen())
        return lastError();
    OsError error = flushDescriptor(fd.get());
    // Some file systems cannot flush a folder at all; the move itself has been made.
    return error.native() == EINVAL ? OsError::None : error;
}

OsError linkThenUnlink(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) != 0) {
        int code = errno;
        // EPERM: "the file system does not support the creation of hard links" (link(2)).
        if (code == EPERM || code == EOPNOTSUPP || code == ENOTSUP)
            return OsError(OsError::Unsupported, code);
        return fromErrno(code);
    }
    if (::unlink(from.c_str()) == 0)
        return OsError::None;
    // Both names would stand for one file; the new one, ours since the link, is given up.
    OsError error = lastError();
    ::unlink(to.c_str());
    return error;
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

} // namespace kovra::posix
