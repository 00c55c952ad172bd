#include "platform/names.h"

namespace kovra {

bool namesAreUtf8() {
    return true;
}

std::string nameToUtf8(const std::string& name) {
    return name;
}

char pathSeparator() {
    return '/';
}

bool isPathSeparator(char c) {
    return c == '/';
}

} // namespace kovra
