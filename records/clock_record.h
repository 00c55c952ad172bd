// TIME.txt: the recorder's clock, 7 bytes of packed BCD (no text despite the name).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

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
    // The date and time the bytes hold. False when a byte's halves are not both decimal
    // digits; badByte then names the first such byte.
    static bool decode(const Bytes& bytes, ClockFields& fields, std::size_t& badByte);
    // A date that exists in the calendar (leap years included), years 1 to 9999, and a time
    // of day from 00:00:00 to 23:59:59: stricter than the window's ranges.
    static bool isCalendarDateTime(const ClockFields& fields);
};

} // namespace kovra
