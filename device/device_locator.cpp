#include "device/device_locator.h"

#include <cstdio>

namespace kovra {

DeviceLocation DeviceLocator::locate() {
    DeviceLocation location;
    for (char letter = kFirstLetter; letter <= kLastLetter; ++letter) {
        std::snprintf(location.driveRoot.data(), location.driveRoot.capacity(), "%c:\\", letter);
        if (platform_.driveType(location.driveRoot.c_str()) == DriveType::Removable) {
            location.devicePresent = true;
            break;
        }
    }
    return location;
}

} // namespace kovra
