#include "platform/posix/file_copy.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/errors.h"
#include "platform/posix/interrupts.h"
#include "platform/posix/retry.h"

namespace kovra::posix {

namespace {

// What passes through the buffer at a time, and what the kernel is asked to copy at a time:
// fewer, larger calls where no byte passes through this program, with an interrupt still
// heeded within a moment.
constexpr std::size_t kPiece = 1 << 20;
constexpr std::size_t kKernelPiece = 16 << 20;

// copy_file_range cannot copy between these two files at all: the buffer does it.
bool kernelCannotCopy(int code) {
    return code == ENOSYS || code == EXDEV || code == EINVAL || code == EOPNOTSUPP;
}

// Plainly the target's: no room, or past a size limit. Any other failure of the kernel's copy
// could be either file's, so that piece is copied again through the buffer to find out.
bool targetIsFull(int code) {
    return code == ENOSPC || code == EDQUOT || code == EFBIG;
}

// One piece through the buffer: the failing call says which side it was.
OsError copyThroughBuffer(int in, std::uint64_t offset, int out, std::size_t want,
                          std::vector<char>& buffer, std::size_t& copied) {
    buffer.resize(kPiece);
    ssize_t got = retryOnInterrupt(
        [&] { return ::pread(in, buffer.data(), want, static_cast<off_t>(offset)); });
    if (got < 0)
        return lastError().on(OsError::Side::Source);
    if (got == 0)
        return OsError(OsError::ShortRead).on(OsError::Side::Source);
    OsError written = writeAll(out, buffer.data(), static_cast<std::size_t>(got));
    if (written != OsError::None)
        return written.on(OsError::Side::Target);
    copied = static_cast<std::size_t>(got);
    return OsError::None;
}

} // namespace

OsError writeAll(int fd, const void* data, std::size_t size) {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t put = retryOnInterrupt([&] { return ::write(fd, next, size); });
        if (put < 0)
            return lastError();
        if (put == 0)
            return OsError::ShortWrite;
        next += put;
        size -= static_cast<std::size_t>(put);
    }
    return OsError::None;
}

OsError copyBytes(int in, std::uint64_t offset, int out, std::uint64_t size) {
    bool inKernel = true;
    std::vector<char> buffer;
    while (size > 0) {
        if (interrupted())
            return OsError::Interrupted;
        std::size_t piece = inKernel ? kKernelPiece : kPiece;
        std::size_t want = size < piece ? static_cast<std::size_t>(size) : piece;
        std::size_t copied = 0;
        bool byKernel = false;
        if (inKernel) {
            auto at = static_cast<off_t>(offset);
            ssize_t got = copy_file_range(in, &at, out, nullptr, want, 0);
            // Not retried at once: the loop asks first whether the signal was the user's.
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && targetIsFull(errno))
                return lastError().on(OsError::Side::Target);
            if (got < 0 && kernelCannotCopy(errno))
                inKernel = false;
            byKernel = got > 0;
            copied = byKernel ? static_cast<std::size_t>(got) : 0;
        }
        // Nothing copied by the kernel (the end of the source, or a failure of either file):
        // the buffer copies this piece, and tells which file failed.
        if (!byKernel) {
            OsError result =
                copyThroughBuffer(in, offset, out, want < kPiece ? want : kPiece, buffer, copied);
            if (result != OsError::None)
                return result;
        }
        offset += copied;
        size -= copied;
    }
    return OsError::None;
}

} // namespace kovra::posix
