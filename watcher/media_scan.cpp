#include "watcher/media_scan.h"

#include "device/card_files.h"
#include "device/device_locator.h"
#include "device/file_paths.h"
#include "records/config_record.h"

namespace kovra::watcher {

namespace {

constexpr char kFirstLetter = 'C';

} // namespace

OsError scanMedia(Platform& platform, const std::string& givenCard, std::vector<Medium>& media) {
    media.clear();
    if (!givenCard.empty()) {
        bool mounted = false;
        OsError error = platform.mountedAt(givenCard.c_str(), mounted);
        if (mounted)
            media.push_back({givenCard, givenCard, true});
        return error;
    }
    char root[] = "C:\\";
    for (char letter = kFirstLetter; letter <= DeviceLocator::kLastLetter; ++letter) {
        root[0] = letter;
        // An empty card reader is a removable drive too: only one with a volume in it counts.
        bool mounted = false;
        if (platform.driveType(root) == DriveType::Removable &&
            platform.mountedAt(root, mounted) == OsError::None && mounted)
            media.push_back({root, std::string(root, 2), false});
    }
    std::vector<MountedMedium> mounted;
    OsError error = platform.mountedMedia(mounted);
    for (const MountedMedium& medium : mounted)
        media.push_back({medium.mountPoint, medium.device, false});
    return error;
}

bool holdsRecorderConfig(Platform& platform, const std::string& root) {
    FileInfo info;
    std::string path = joinPath(root, kConfigFileName);
    // The name itself, not what a link there leads to: the recorder writes no links, and a
    // link could make any medium pass for the card.
    return platform.linkInfo(path.c_str(), info) == OsError::None && info.isFile() &&
           info.size == ConfigRecord::kSize;
}

} // namespace kovra::watcher
