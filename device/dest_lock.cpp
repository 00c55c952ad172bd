#include "device/dest_lock.h"

#include "device/file_paths.h"

namespace kovra {

DestLock::~DestLock() {
    if (held_)
        platform_.close(file_);
}

OsError DestLock::take(const std::string& dest) {
    OsError error = platform_.lockFile(joinPath(dest, kFileName).c_str(), file_);
    held_ = error == OsError::None;
    return error;
}

} // namespace kovra
