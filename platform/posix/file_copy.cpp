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
// heeded within a moment. The buffer stays in the processor's cache.
constexpr std::size_t kPiece = 256 << 10;
constexpr std::size_t kKernelPiece = 16 << 20;

// Each thread's buffer, kept: a new one would cost a page fault for each of its pages on
// every copy, and a copy is asked for a megabyte at a time.
std::vector<char>& threadBuffer() {
    thread_local std::vector<char> buffer(kPiece);
    return buffer;
}

// Whether the kernel's copy would have to shift every byte within its page: the source's
// offset and the target's position lie at different places in their pages, as where a clip or
// a join moves a recording's chunks. Measured on ext4 on a virtual disk, 17 MB so copied took
// the kernel 1.5 times as long as this buffer, and the flush after it 1.25 times as long.
bool pagesOutOfStep(int out, std::uint64_t offset) {
    static const long kPageSize = sysconf(_SC_PAGESIZE);
    off_t position = lseek(out, 0, SEEK_CUR);
    if (position < 0 || kPageSize <= 0)
        return false;
    auto page = static_cast<std::uint64_t>(kPageSize);
    return offset % page != static_cast<std::uint64_t>(position) % page;
}

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
                          std::size_t& copied) {
    std::vector<char>& buffer = threadBuffer();
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
    bool inKernel = !pagesOutOfStep(out, offset);
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
                copyThroughBuffer(in, offset, out, want < kPiece ? want : kPiece, copied);
            if (result != OsError::None)
                return result;
        }
        offset += copied;
        size -= copied;
    }
    return OsError::None;
}

} // namespace kovra::posix
