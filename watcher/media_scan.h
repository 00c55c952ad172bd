// The media present now, and which of them is the recorder's card.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kovra::watcher {

struct Medium {
    std::string root;   // "E:\", "/media/user/CARD"
    std::string device; // "E:", "/dev/sdb1"; the folder itself for one given with --card
    bool given = false; // the folder given with --card: the card whatever it is
    bool operator==(const Medium& other) const {
        return root == other.root && device == other.device;
    }
};

// With a folder given, that folder while a filesystem is mounted there (removable or not);
// otherwise every removable medium of the one scan (device/removable_media.h), a drive letter
// only with a volume in it.
OsError scanMedia(Platform& platform, const std::string& givenCard, std::vector<Medium>& media);

// The recorder's card holds its 11-byte CONFIG.SYS at its root, a file and not a link; a
// medium without one is someone else's and is never written to.
bool holdsRecorderConfig(Platform& platform, const std::string& root);

} // namespace kovra::watcher
