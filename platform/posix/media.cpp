// Removable media and mounts on POSIX: the mount table and sysfs (below the system root a test
// or --system-root gives), its changes, and flushing a whole filesystem.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/posix/descriptor.h"
#include "platform/posix/errors.h"
#include "platform/posix/file_calls.h"
#include "platform/posix/mounted_media.h"
#include "platform/posix/system_platform.h"

namespace kovra::posix {

OsError PosixPlatform::removableMedia(std::vector<RemovableMedium>& media) {
    return findMountedMedia(systemRoot_, media);
}

OsError PosixPlatform::mountedAt(const char* folder, bool& mounted) {
    std::string path = nativePath(folder);
    OsError error = findMountAt(systemRoot_, path, mounted);
    // The table lists mount points with their links resolved.
    char* real = error == OsError::None && !mounted ? ::realpath(path.c_str(), nullptr) : nullptr;
    if (real) {
        error = findMountAt(systemRoot_, real, mounted);
        std::free(real);
    }
    return error;
}

OsError PosixPlatform::waitForMountChange(int timeoutMilliseconds) {
    return mountWatch_.wait(systemRoot_, timeoutMilliseconds);
}

OsError PosixPlatform::flushVolume(const char* root) {
    Descriptor fd(::open(nativePath(root).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen())
        return lastError();
    return syncfs(fd.get()) == 0 ? OsError::None : lastError();
}

} // namespace kovra::posix
