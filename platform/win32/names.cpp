#include "platform/names.h"

#include <windows.h>

#include <vector>

namespace kovra {

bool namesAreUtf8() {
    return false;
}

std::string nameToUtf8(const std::string& name) {
    if (name.empty())
        return name;
    int wide =
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    if (wide <= 0)
        return name;
    std::vector<wchar_t> text(static_cast<std::size_t>(wide));
    MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), text.data(), wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return name;
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

char pathSeparator() {
    return '\\';
}

bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

} // namespace kovra
