// Finds the recorder's card for the window: the first removable medium of the one scan
// (device/removable_media.h), on Windows the first removable drive from C: to Y:.
#pragma once

#include "platform/path_buffer.h"
#include "platform/platform.h"

namespace kovra {

struct DeviceLocation {
    // "E:\" for drive E; the last root probed (Y:\) when no removable drive was found.
    PathBuffer<256> driveRoot;
    bool devicePresent = false;
};

class DeviceLocator {
  public:
    explicit DeviceLocator(Platform& platform) : platform_(platform) {}

    DeviceLocation locate();

  private:
    Platform& platform_;
};

} // namespace kovra
