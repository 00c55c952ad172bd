#include "device/card_finder.h"

#include "device/device_locator.h"

namespace kovra {

std::optional<FoundCard> findCard(Platform& platform) {
    std::vector<FoundCard> found;
    // The window's scan, which ends at the first removable drive; the rest are looked at only
    // to be named.
    DeviceLocation first = DeviceLocator(platform).locate();
    if (first.devicePresent) {
        std::string drive(first.driveRoot.c_str(), 2);
        found.push_back({first.driveRoot.c_str(),
                         drive,
                         "drive " + drive + " is removable, the first such from C: to Y:",
                         {}});
        char root[] = "C:\\";
        for (char letter = static_cast<char>(first.driveRoot.c_str()[0] + 1);
             letter <= DeviceLocator::kLastLetter; ++letter) {
            root[0] = letter;
            if (platform.driveType(root) == DriveType::Removable)
                found.push_back({root, std::string(root, 2), "", {}});
        }
    }
    std::vector<MountedMedium> media;
    if (platform.mountedMedia(media) == OsError::None)
        for (const MountedMedium& medium : media)
            found.push_back({medium.mountPoint, medium.device, medium.reason, {}});
    if (found.empty())
        return std::nullopt;
    FoundCard card = found.front();
    for (std::size_t i = 1; i < found.size(); ++i)
        card.others.push_back(found[i].device + " at " + found[i].root);
    return card;
}

} // namespace kovra
