#include "records/clock_record.h"

#include "platform/file.h"

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

bool ClockRecord::writeClock(Platform& platform, const char* path, const ClockFields& fields) {
    File file(platform, path, OpenMode::WriteTruncate);
    if (!file.isOpen())
        return false;
    Bytes bytes = encode(fields);
    return file.write(bytes.data(), bytes.size()) == OsError::None;
}

} // namespace kovra
