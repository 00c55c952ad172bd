// An open file's calls on Windows: the HANDLE is the FileId.
#include <vector>

#include "platform/win32/errors.h"
#include "platform/win32/file_calls.h"
#include "platform/win32/interrupts.h"
#include "platform/win32/system_platform.h"

namespace kovra::win32 {

namespace {

// What a copy passes through its buffer at a time: small enough to stay in the processor's
// cache. The buffer is each thread's own and kept, as a copy is asked for a megabyte at a time
// and a new buffer's pages would each cost a fault.
constexpr std::size_t kCopyPiece = 256 << 10;

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & kLowHalf);
    position.OffsetHigh = static_cast<DWORD>(offset >> kHighHalfShift);
    return position;
}

} // namespace

OsError Win32Platform::read(FileId file, void* buffer, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(handleOf(file), buffer, static_cast<DWORD>(size), &got, nullptr))
        return lastError();
    return got == size ? OsError::None : OsError::ShortRead;
}

// A synchronous handle reads at the offset an OVERLAPPED gives, and moves its position.
OsError Win32Platform::readAt(FileId file, std::uint64_t offset, void* buffer, std::size_t size) {
    OVERLAPPED position = at(offset);
    DWORD got = 0;
    if (!ReadFile(handleOf(file), buffer, static_cast<DWORD>(size), &got, &position)) {
        DWORD code = GetLastError();
        return code == ERROR_HANDLE_EOF ? OsError::ShortRead : fromWin32(code);
    }
    return got == size ? OsError::None : OsError::ShortRead;
}

OsError Win32Platform::write(FileId file, const void* data, std::size_t size) {
    if (win32::interrupted())
        return OsError::Interrupted;
    DWORD put = 0;
    if (!WriteFile(handleOf(file), data, static_cast<DWORD>(size), &put, nullptr))
        return lastError();
    return put == size ? OsError::None : OsError::ShortWrite;
}

OsError Win32Platform::setSize(FileId file, std::uint64_t size) {
    LONG high = static_cast<LONG>(size >> kHighHalfShift);
    SetLastError(ERROR_SUCCESS);
    if (SetFilePointer(handleOf(file), static_cast<LONG>(size & kLowHalf), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        GetLastError() != ERROR_SUCCESS)
        return lastError();
    return SetEndOfFile(handleOf(file)) ? OsError::None : lastError();
}

// An OVERLAPPED write moves the position too: it is put back for the appends that follow.
OsError Win32Platform::writeAt(FileId file, std::uint64_t offset, const void* data,
                               std::size_t size) {
    if (win32::interrupted())
        return OsError::Interrupted;
    HANDLE handle = handleOf(file);
    LONG high = 0;
    SetLastError(ERROR_SUCCESS);
    DWORD low = SetFilePointer(handle, 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
        return lastError();
    OVERLAPPED position = at(offset);
    DWORD put = 0;
    OsError result = OsError::None;
    if (!WriteFile(handle, data, static_cast<DWORD>(size), &put, &position))
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

OsError Win32Platform::seek(FileId file, std::uint32_t offset) {
    SetLastError(ERROR_SUCCESS);
    // With the high half given, the low half counts as unsigned: offsets up to 4 GiB - 1.
    LONG high = 0;
    DWORD position = SetFilePointer(handleOf(file), static_cast<LONG>(offset), &high, FILE_BEGIN);
    if (position == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
        return lastError();
    return OsError::None;
}

// Windows has no call that copies part of one open file into another: through a buffer, which
// knows which file failed.
OsError Win32Platform::copyRange(FileId from, std::uint64_t offset, FileId to, std::uint64_t size) {
    thread_local std::vector<char> piece(kCopyPiece);
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

OsError Win32Platform::fileSize(FileId file, std::uint64_t& size) {
    DWORD high = 0;
    SetLastError(ERROR_SUCCESS);
    DWORD low = GetFileSize(handleOf(file), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return lastError();
    size = joined(high, low);
    return OsError::None;
}

OsError Win32Platform::flush(FileId file) {
    return FlushFileBuffers(handleOf(file)) ? OsError::None : lastError();
}

OsError Win32Platform::setFileModified(FileId file, std::int64_t modified) {
    FILETIME time = fromUnixSeconds(modified);
    return SetFileTime(handleOf(file), nullptr, nullptr, &time) ? OsError::None : lastError();
}

void Win32Platform::close(FileId file) {
    CloseHandle(handleOf(file));
}

} // namespace kovra::win32
