#include "platform/platform.h"

namespace kovra {

const char* osErrorName(OsError error) {
    switch (error) {
    case OsError::None:
        return "None";
    case OsError::NotFound:
        return "NotFound";
    case OsError::AccessDenied:
        return "AccessDenied";
    case OsError::SharingViolation:
        return "SharingViolation";
    case OsError::ShortRead:
        return "ShortRead";
    case OsError::ShortWrite:
        return "ShortWrite";
    case OsError::TooLong:
        return "TooLong";
    case OsError::Other:
        return "Other";
    }
    return "?";
}

} // namespace kovra
