#include "device/device_locator.h"

#include <vector>

#include "device/removable_media.h"
#include "platform/removable_drives.h"

namespace kovra {

DeviceLocation DeviceLocator::locate() {
    DeviceLocation location;
    std::vector<RemovableMedium> media;
    scanRemovableMedia(platform_, EmptyReaders::Counted, media);
    location.devicePresent =
        !media.empty() && location.driveRoot.assign(media.front().mountPoint.c_str());
    if (!location.devicePresent) {
        const char lastRoot[] = {kLastDriveLetter, ':', '\\', '\0'};
        location.driveRoot.assign(lastRoot);
    }
    return location;
}

} // namespace kovra
