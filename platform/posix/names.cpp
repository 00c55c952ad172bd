#include "platform/names.h"

namespace kovra {

bool namesAreUtf8() {
    return true;
}

std::string nameToUtf8(const std::string& name) {
    return name;
}

} // namespace kovra
