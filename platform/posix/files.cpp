// An open file's calls on POSIX: the descriptor is the FileId.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/errors.h"
#include "platform/posix/file_calls.h"
#include "platform/posix/file_copy.h"
#include "platform/posix/interrupts.h"
#include "platform/posix/retry.h"
#include "platform/posix/system_platform.h"

namespace kovra::posix {

namespace {

int descriptorOf(FileId file) {
    return static_cast<int>(file);
}

// What a read that asked for size bytes and got got means.
OsError readOutcome(ssize_t got, std::size_t size) {
    if (got < 0)
        return lastError();
    return static_cast<std::size_t>(got) == size ? OsError::None : OsError::ShortRead;
}

} // namespace

OsError PosixPlatform::read(FileId file, void* buffer, std::size_t size) {
    return readOutcome(retryOnInterrupt([&] { return ::read(descriptorOf(file), buffer, size); }),
                       size);
}

OsError PosixPlatform::readAt(FileId file, std::uint64_t offset, void* buffer, std::size_t size) {
    return readOutcome(retryOnInterrupt([&] {
                           return ::pread(descriptorOf(file), buffer, size,
                                          static_cast<off_t>(offset));
                       }),
                       size);
}

OsError PosixPlatform::setSize(FileId file, std::uint64_t size) {
    int fd = descriptorOf(file);
    if (retryOnInterrupt([&] { return ::ftruncate(fd, static_cast<off_t>(size)); }) < 0 ||
        ::lseek(fd, static_cast<off_t>(size), SEEK_SET) < 0)
        return lastError();
    return OsError::None;
}

OsError PosixPlatform::writeAt(FileId file, std::uint64_t offset, const void* data,
                               std::size_t size) {
    if (posix::interrupted())
        return OsError::Interrupted;
    ssize_t put = retryOnInterrupt(
        [&] { return ::pwrite(descriptorOf(file), data, size, static_cast<off_t>(offset)); });
    if (put < 0)
        return lastError();
    return static_cast<std::size_t>(put) == size ? OsError::None : OsError::ShortWrite;
}

OsError PosixPlatform::write(FileId file, const void* data, std::size_t size) {
    if (posix::interrupted())
        return OsError::Interrupted;
    return writeAll(descriptorOf(file), data, size);
}

OsError PosixPlatform::seek(FileId file, std::uint32_t offset) {
    if (lseek(descriptorOf(file), static_cast<off_t>(offset), SEEK_SET) < 0)
        return lastError();
    return OsError::None;
}

OsError PosixPlatform::copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) {
    return copyBytes(descriptorOf(from), offset, descriptorOf(to), size);
}

OsError PosixPlatform::fileSize(FileId file, std::uint64_t& size) {
    struct stat st;
    if (fstat(descriptorOf(file), &st) != 0)
        return lastError();
    size = static_cast<std::uint64_t>(st.st_size);
    return OsError::None;
}

OsError PosixPlatform::flush(FileId file) {
    return flushDescriptor(descriptorOf(file));
}

void PosixPlatform::startFlush(FileId file, std::uint64_t offset, std::uint64_t size) {
    sync_file_range(descriptorOf(file), static_cast<off_t>(offset), static_cast<off_t>(size),
                    SYNC_FILE_RANGE_WRITE);
}

OsError PosixPlatform::setFileModified(FileId file, std::int64_t modified) {
    timespec times[2]{};
    times[0].tv_nsec = UTIME_NOW;
    times[1].tv_sec = static_cast<time_t>(modified);
    return futimens(descriptorOf(file), times) == 0 ? OsError::None : lastError();
}

void PosixPlatform::close(FileId file) {
    ::close(descriptorOf(file));
}

} // namespace kovra::posix
