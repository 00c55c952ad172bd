#include "cli/card_root.h"
#include "device/device_locator.h"

namespace kovra::cli {

// As the window finds it: the first removable drive from C: to Y:.
std::optional<FoundCard> detectCard(Platform& platform) {
    DeviceLocation location = DeviceLocator(platform).locate();
    if (!location.devicePresent)
        return std::nullopt;
    std::string root = location.driveRoot.c_str();
    std::string drive = root.substr(0, 2);
    return FoundCard{
        root, drive, "drive " + drive + " is removable, the first such from C: to Y:", {}};
}

} // namespace kovra::cli
