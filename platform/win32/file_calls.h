// What more than one of the Windows platform's parts needs: handles, 64-bit halves, FILETIME
// and why an open failed.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/file_system.h"

namespace kovra::win32 {

constexpr unsigned kHighHalfShift = 32;
constexpr DWORD kLowHalf = 0xFFFFFFFFu;

inline HANDLE handleOf(FileId file) {
    return reinterpret_cast<HANDLE>(file);
}

inline std::uint64_t joined(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << kHighHalfShift) | low;
}

// FILETIME counts 100 ns intervals since 1601-01-01 UTC; Kovra counts seconds since 1970.
std::int64_t toUnixSeconds(const FILETIME& time);
FILETIME fromUnixSeconds(std::int64_t seconds);

FileKind kindOf(DWORD attributes);

// Why CreateFileA failed on path, read at once: a folder refuses a file's open as access
// denied, and is told apart here.
OsError openFailure(const char* path);

// What path leads to, a link followed: the file opened (folders too) and asked.
OsError followedInfo(const char* path, BY_HANDLE_FILE_INFORMATION& data);

} // namespace kovra::win32
