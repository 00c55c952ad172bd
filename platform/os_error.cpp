#include "platform/os_error.h"

namespace kovra {

const char* osErrorName(OsError error) {
    switch (error.kind()) {
    case OsError::None:
        return "None";
    case OsError::NotFound:
        return "NotFound";
    case OsError::AccessDenied:
        return "AccessDenied";
    case OsError::ReadOnly:
        return "ReadOnly";
    case OsError::SharingViolation:
        return "SharingViolation";
    case OsError::ShortRead:
        return "ShortRead";
    case OsError::ShortWrite:
        return "ShortWrite";
    case OsError::DiskFull:
        return "DiskFull";
    case OsError::FileTooLarge:
        return "FileTooLarge";
    case OsError::TooLong:
        return "TooLong";
    case OsError::IsFolder:
        return "IsFolder";
    case OsError::NotAFile:
        return "NotAFile";
    case OsError::NotAFolder:
        return "NotAFolder";
    case OsError::LinkLoop:
        return "LinkLoop";
    case OsError::Exists:
        return "Exists";
    case OsError::Interrupted:
        return "Interrupted";
    case OsError::NoHandler:
        return "NoHandler";
    case OsError::Unsupported:
        return "Unsupported";
    case OsError::Other:
        return "Other";
    }
    return "?";
}

} // namespace kovra
