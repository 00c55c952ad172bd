#include "platform/win32/shell_open.h"

#include <windows.h>

#include <shellapi.h>

namespace kovra::win32 {

namespace {

// ShellExecuteA's answers above this are the program started; the others are error codes.
constexpr INT_PTR kShellStarted = 32;

} // namespace

OsError shellOpen(const char* path) {
    HINSTANCE result = ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
    INT_PTR code = reinterpret_cast<INT_PTR>(result);
    if (code > kShellStarted)
        return OsError::None;
    switch (code) {
    case SE_ERR_NOASSOC:
    case SE_ERR_ASSOCINCOMPLETE:
        return OsError(OsError::NoHandler, static_cast<std::int32_t>(code));
    case SE_ERR_FNF:
    case SE_ERR_PNF:
        return OsError(OsError::NotFound, static_cast<std::int32_t>(code));
    default:
        return OsError(OsError::Other, static_cast<std::int32_t>(code));
    }
}

} // namespace kovra::win32
