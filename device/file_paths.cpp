#include "device/file_paths.h"

namespace kovra {

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
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

} // namespace kovra
