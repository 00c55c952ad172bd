#include "records/clock_record.h"

namespace kovra {

namespace {

// Two decimal digits in one byte. Validated fields never exceed 99 per byte; anything else
// is still reduced to a byte rather than overflowing.
std::uint8_t bcd(std::int32_t high, std::int32_t low) {
    std::uint32_t byte = static_cast<std::uint32_t>(high) * 16u + static_cast<std::uint32_t>(low);
    return static_cast<std::uint8_t>(byte & 0xFFu);
}

std::uint8_t twoDigits(std::int32_t value) {
    return bcd(value / 10, value % 10);
}

bool isDecimal(std::uint8_t byte) {
    return (byte >> 4) <= 9 && (byte & 0x0F) <= 9;
}

std::int32_t fromBcd(std::uint8_t byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

bool isLeapYear(std::int32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::int32_t daysInMonth(std::int32_t year, std::int32_t month) {
    static constexpr std::int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

} // namespace

ClockRecord::Bytes ClockRecord::encode(const ClockFields& fields) {
    Bytes bytes{};
    bytes[kCentury] = bcd(fields.year / 1000, (fields.year % 1000) / 100);
    bytes[kYearInCentury] = bcd((fields.year % 100) / 10, fields.year % 10);
    bytes[kMonth] = twoDigits(fields.month);
    bytes[kDay] = twoDigits(fields.day);
    bytes[kHour] = twoDigits(fields.hour);
    bytes[kMinute] = twoDigits(fields.minute);
    bytes[kSecond] = twoDigits(fields.second);
    return bytes;
}

bool ClockRecord::decode(const Bytes& bytes, ClockFields& fields, std::size_t& badByte) {
    for (std::size_t i = 0; i < kSize; ++i) {
        if (!isDecimal(bytes[i])) {
            badByte = i;
            return false;
        }
    }
    fields.year = fromBcd(bytes[kCentury]) * 100 + fromBcd(bytes[kYearInCentury]);
    fields.month = fromBcd(bytes[kMonth]);
    fields.day = fromBcd(bytes[kDay]);
    fields.hour = fromBcd(bytes[kHour]);
    fields.minute = fromBcd(bytes[kMinute]);
    fields.second = fromBcd(bytes[kSecond]);
    return true;
}

bool ClockRecord::isCalendarDateTime(const ClockFields& f) {
    constexpr FieldRange kYears{1, 9999}, kMonths{1, 12}, kHours{0, 23}, kMinutes{0, 59};
    return kYears.contains(f.year) && kMonths.contains(f.month) && f.day >= 1 &&
           f.day <= daysInMonth(f.year, f.month) && kHours.contains(f.hour) &&
           kMinutes.contains(f.minute) && kMinutes.contains(f.second);
}

} // namespace kovra
