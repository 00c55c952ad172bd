#include "device/removable_media.h"

#include <algorithm>

namespace kovra {

OsError scanRemovableMedia(Platform& platform, EmptyReaders emptyReaders,
                           std::vector<RemovableMedium>& media) {
    media.clear();
    OsError error = platform.removableMedia(media);
    if (emptyReaders == EmptyReaders::LeftOut)
        media.erase(std::remove_if(media.begin(), media.end(),
                                   [&](const RemovableMedium& medium) {
                                       bool mounted = false;
                                       return medium.mayBeEmpty &&
                                              (platform.mountedAt(medium.mountPoint.c_str(),
                                                                  mounted) != OsError::None ||
                                               !mounted);
                                   }),
                    media.end());
    return error;
}

} // namespace kovra
