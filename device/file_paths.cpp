#include "device/file_paths.h"

#include "platform/names.h"

namespace kovra {

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    // Only where '\' separates (Windows) can a folder be written in its style.
    bool windowsStyle = isPathSeparator('\\') && folder.find('\\') != std::string::npos &&
                        folder.find('/') == std::string::npos;
    std::string joined = folder;
    if (!isPathSeparator(folder.back()))
        joined += windowsStyle ? '\\' : '/';
    for (char c : name)
        joined += windowsStyle && c == '/' ? '\\' : c;
    return joined;
}

std::string baseName(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (isPathSeparator(path[i - 1]))
            return path.substr(i);
    return path;
}

} // namespace kovra
