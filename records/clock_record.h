// TIME.txt: the recorder's clock, 7 bytes of packed BCD (no text despite the name).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "records/recorder_settings.h"

namespace kovra {

struct ClockRecord {
    static constexpr std::size_t kSize = 7;
    using Bytes = std::array<std::uint8_t, kSize>;

    // Offsets: century, year in century, month, day, hour, minute, second; two decimal digits
    // each, tens in the high nibble.
    static constexpr std::size_t kCentury = 0;
    static constexpr std::size_t kYearInCentury = 1;
    static constexpr std::size_t kMonth = 2;
    static constexpr std::size_t kDay = 3;
    static constexpr std::size_t kHour = 4;
    static constexpr std::size_t kMinute = 5;
    static constexpr std::size_t kSecond = 6;

    static Bytes encode(const ClockFields& fields);
    // False when the file cannot be created or the 7 bytes were not all written.
    static bool writeClock(Platform& platform, const char* path, const ClockFields& fields);
};

} // namespace kovra
