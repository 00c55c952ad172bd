// CONFIG.SYS: the recorder's configuration as it lies on the card, 11 bytes with no header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "records/recorder_settings.h"

namespace kovra {

struct ConfigRecord {
    static constexpr std::size_t kSize = 11;
    using Bytes = std::array<std::uint8_t, kSize>;

    // Byte offsets. The counts are big-endian; their order (GSENSOR, MANUAL, CYCLE) and the
    // frame rate after the overwrite flag are the recorder's, not the window's.
    static constexpr std::size_t kTriggerResolution = 0;
    static constexpr std::size_t kLoopResolution = 1;
    static constexpr std::size_t kSensitivityStep = 2;
    static constexpr std::size_t kMaxGsensorFiles = 3;
    static constexpr std::size_t kMaxManualFiles = 5;
    static constexpr std::size_t kMaxCycleFiles = 7;
    static constexpr std::size_t kOverwriteFlag = 9; // 1 when overwrite is "Yes" (index 0)
    static constexpr std::size_t kFrameRate = 10;

    static Bytes encode(const RecorderSettings& settings);
    // Overwrites every field, sensitivityStep included; no range checks.
    static void decode(const Bytes& bytes, RecorderSettings& settings);

    // The slider's steps shown as the sensitivity: step x 0.05, as "%2.2f".
    static double sensitivityValue(std::int32_t step);
    static std::string sensitivityText(std::int32_t step);

    static constexpr std::int32_t kMinSensitivityStep = 2;
    static constexpr std::int32_t kMaxSensitivityStep = 40;
};

} // namespace kovra
