// Finds the recorder's card: the first removable drive from C: to Y:.
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

    static constexpr char kFirstLetter = 'C';
    static constexpr char kLastLetter = 'Y';

    // A: and B: (floppies) and Z: are never probed; only the drive type is consulted.
    DeviceLocation locate();

  private:
    Platform& platform_;
};

} // namespace kovra
