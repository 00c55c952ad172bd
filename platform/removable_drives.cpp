#include "platform/removable_drives.h"

#include <string>

namespace kovra {

std::vector<RemovableMedium>
removableDrives(const std::function<DriveType(const char* root)>& typeOf) {
    std::vector<RemovableMedium> drives;
    char root[] = "C:\\";
    for (char letter = kFirstDriveLetter; letter <= kLastDriveLetter; ++letter) {
        root[0] = letter;
        if (typeOf(root) != DriveType::Removable)
            continue;
        std::string drive(root, 2);
        // The first is the one the card finder takes; the others are only named.
        std::string reason = "drive " + drive + " is removable";
        if (drives.empty())
            reason += ", the first such from C: to Y:";
        drives.push_back({root, drive, reason, true});
    }
    return drives;
}

} // namespace kovra
