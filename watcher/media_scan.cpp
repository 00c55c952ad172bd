#include "watcher/media_scan.h"

#include "device/card_files.h"
#include "device/file_paths.h"
#include "device/removable_media.h"
#include "records/config_record.h"

namespace kovra::watcher {

OsError scanMedia(Platform& platform, const std::string& givenCard, std::vector<Medium>& media) {
    media.clear();
    if (!givenCard.empty()) {
        bool mounted = false;
        OsError error = platform.mountedAt(givenCard.c_str(), mounted);
        if (mounted)
            media.push_back({givenCard, givenCard, true});
        return error;
    }
    std::vector<RemovableMedium> found;
    OsError error = scanRemovableMedia(platform, EmptyReaders::LeftOut, found);
    for (const RemovableMedium& medium : found)
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
