#include "device/removable_media.h"

#include <algorithm>

namespace kovra {

OsError scanRemovableMedia(FileSystem& files, EmptyReaders emptyReaders,
                           std::vector<RemovableMedium>& media) {
    media.clear();
    OsError error = files.removableMedia(media);
    if (emptyReaders == EmptyReaders::LeftOut)
        media.erase(std::remove_if(media.begin(), media.end(),
                                   [&](const RemovableMedium& medium) {
                                       bool mounted = false;
                                       return medium.mayBeEmpty &&
                                              (files.mountedAt(medium.mountPoint.c_str(),
                                                               mounted) != OsError::None ||
                                               !mounted);
                                   }),
                    media.end());
    return error;
}

} // namespace kovra
