#include "cli/output.h"

#include <iostream>

namespace kovra::cli {

void warn(const std::string& message) {
    std::cerr << kProgramName << ": " << message << '\n';
}

void printJson(const nlohmann::json& document) {
    std::cout << document.dump(2) << '\n';
}

std::string describe(OsError error) {
    switch (error) {
    case OsError::None:
        return "no error";
    case OsError::NotFound:
        return "no such file or folder";
    case OsError::AccessDenied:
        return "permission denied (read-only, or a folder)";
    case OsError::SharingViolation:
        return "in use by another program";
    case OsError::ShortRead:
        return "ended early";
    case OsError::ShortWrite:
        return "not all written (is the disk full?)";
    case OsError::TooLong:
        return "path too long";
    case OsError::Other:
        break;
    }
    return "cannot be read or written";
}

} // namespace kovra::cli
