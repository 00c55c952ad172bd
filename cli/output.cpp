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

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    // Written the way the folder is: "E:\DCIM\MOV0001.avi", not "E:\DCIM/MOV0001.avi".
    bool windowsStyle =
        folder.find('\\') != std::string::npos && folder.find('/') == std::string::npos;
    std::string joined = folder;
    if (folder.back() != '/' && folder.back() != '\\')
        joined += windowsStyle ? '\\' : '/';
    for (char c : name)
        joined += windowsStyle && c == '/' ? '\\' : c;
    return joined;
}

std::string baseName(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace kovra::cli
