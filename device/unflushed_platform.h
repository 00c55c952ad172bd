// The platform with its flushes left out, for files that need not outlive a power cut: Play's
// copies in the temporary folder are made again from the card whenever one is missing, and
// every start removes those a cut left behind. Forcing a recording's worth of bytes to the
// storage would only make the owner wait for the player longer than for a plain copy.
#pragma once

#include "platform/forwarding_platform.h"

namespace kovra {

class UnflushedPlatform final : public ForwardingPlatform {
  public:
    explicit UnflushedPlatform(Platform& real) : ForwardingPlatform(real) {}

    // What the system has not written yet it writes in its own time.
    OsError flush(FileId) override { return OsError::None; }
    void startFlush(FileId, std::uint64_t, std::uint64_t) override {}
};

} // namespace kovra
