#include "platform/posix/errors.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace kovra {

namespace posix {

OsError fromErrno(int code) {
    switch (code) {
    case 0:
        return OsError::None;
    case ENOENT:
        return OsError(OsError::NotFound, code);
    case ENOTDIR:
        return OsError(OsError::NotAFolder, code);
    case EACCES:
    case EPERM:
        return OsError(OsError::AccessDenied, code);
    case EROFS:
        return OsError(OsError::ReadOnly, code);
    case EISDIR:
        return OsError(OsError::IsFolder, code);
    case ELOOP:
        return OsError(OsError::LinkLoop, code);
    case ENOSPC:
    case EDQUOT:
        return OsError(OsError::DiskFull, code);
    case EFBIG:
        return OsError(OsError::FileTooLarge, code);
    case ENAMETOOLONG:
        return OsError(OsError::TooLong, code);
    case EEXIST:
        return OsError(OsError::Exists, code);
    case EBUSY:
    case ETXTBSY:
        return OsError(OsError::SharingViolation, code);
    default:
        return OsError(OsError::Other, code);
    }
}

OsError lastError() {
    return fromErrno(errno);
}

} // namespace posix

namespace {

constexpr std::size_t kMessageCapacity = 256;

// strerror_r comes in two forms: the XSI one fills the buffer and returns 0, the GNU one
// returns the text, which may lie elsewhere. Whichever the C library declares is picked here.
[[maybe_unused]] const char* messageOf(int result, const char* buffer) {
    return result == 0 ? buffer : "";
}
[[maybe_unused]] const char* messageOf(const char* result, const char*) {
    return result ? result : "";
}

} // namespace

std::string osErrorText(OsError error) {
    if (error.native() == 0)
        return "";
    char buffer[kMessageCapacity] = {};
    std::string text = messageOf(strerror_r(error.native(), buffer, sizeof buffer), buffer);
    std::string code = "errno " + std::to_string(error.native());
    return text.empty() ? code : text + ", " + code;
}

} // namespace kovra
