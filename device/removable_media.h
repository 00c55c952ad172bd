// The one scan of the removable media present, for the card finder, the window and the card
// watcher alike; what the system shows of them is the platform's (drive letters on Windows,
// the mount table elsewhere).
#pragma once

#include <vector>

#include "platform/file_system.h"

namespace kovra {

// A drive letter with no volume in it (an empty card reader) is still a removable drive: the
// card finder and the window take it as the card, as they always have; the watcher waits for a
// volume.
enum class EmptyReaders { Counted, LeftOut };

// The removable media now, in the order the card is looked for: the drives from C: to Y:, or
// the mounted media by mount point. An error is the system's, the media it listed still given.
OsError scanRemovableMedia(FileSystem& files, EmptyReaders emptyReaders,
                           std::vector<RemovableMedium>& media);

} // namespace kovra
