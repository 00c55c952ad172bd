#include "gallery/link_path.h"

#include <cctype>
#include <cstdio>
#include <vector>

namespace kovra::gallery {

namespace {

constexpr const char* kFileScheme = "file://";
constexpr std::size_t kDriveLength = 2; // "E:"

bool isWindowsPath(const std::string& path) {
    return path.size() >= kDriveLength && path[1] == ':' &&
           std::isalpha(static_cast<unsigned char>(path[0]));
}

std::vector<std::string> parts(const std::string& path, bool windows) {
    std::vector<std::string> out;
    std::string part;
    for (char c : path) {
        if (c == '/' || (windows && c == '\\')) {
            if (!part.empty() && part != ".")
                out.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty() && part != ".")
        out.push_back(part);
    return out;
}

bool sameDrive(const std::string& a, const std::string& b) {
    return std::toupper(static_cast<unsigned char>(a[0])) ==
           std::toupper(static_cast<unsigned char>(b[0]));
}

} // namespace

std::string percentEncoded(const std::string& path) {
    std::string out;
    char hex[4];
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string linkTo(const std::string& folder, const std::string& file) {
    bool windows = isWindowsPath(folder) || isWindowsPath(file);
    std::vector<std::string> from = parts(folder, windows), to = parts(file, windows);
    if (windows && !(isWindowsPath(folder) && isWindowsPath(file) && sameDrive(folder, file))) {
        std::string address;
        for (const std::string& part : to)
            address += "/" + percentEncoded(part);
        // The drive's colon stays one: "file:///E:/DCIM".
        if (isWindowsPath(file))
            address.replace(1 + 1, 3, ":");
        return kFileScheme + address;
    }
    std::size_t common = 0;
    while (common < from.size() && common + 1 < to.size() && from[common] == to[common])
        ++common;
    std::string link;
    for (std::size_t i = common; i < from.size(); ++i)
        link += "../";
    for (std::size_t i = common; i < to.size(); ++i)
        link += percentEncoded(to[i]) + (i + 1 < to.size() ? "/" : "");
    return link;
}

} // namespace kovra::gallery
