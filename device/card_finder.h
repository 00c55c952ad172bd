// Finding the recorder's card for the command line: the first removable medium of the one scan
// (device/removable_media.h), the removable drives from C: to Y: where the system has drive
// letters, the mounted filesystems on removable media where it has a mount table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace kovra {

struct FoundCard {
    std::string root;                // "E:\", "/media/user/CARD"
    std::string device;              // "E:", "/dev/mmcblk0p1"; empty for a folder given by hand
    std::string reason;              // why it counts as the card
    std::vector<std::string> others; // other removable media passed over, "device at root"
};

// The first removable medium; the others are named in it. Nothing when there is none.
std::optional<FoundCard> findCard(FileSystem& files);

} // namespace kovra
