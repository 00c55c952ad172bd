#include "records/clock_record.h"

#include <gtest/gtest.h>

#include "tests/support/bytes.h"

namespace kovra {
namespace {

using test::toHex;

ClockFields clock(int year, int month, int day, int hour, int minute, int second) {
    ClockFields fields;
    fields.year = year;
    fields.month = month;
    fields.day = day;
    fields.hour = hour;
    fields.minute = minute;
    fields.second = second;
    return fields;
}

// Packed BCD, century first: the recorder reads the digits as they are written.
TEST(ClockRecordEncode, ExampleDate) {
    EXPECT_EQ(toHex(ClockRecord::encode(clock(2007, 10, 16, 8, 16, 47))), "20 07 10 16 08 16 47");
}

// The century and year bytes for years with fewer than four digits, and the largest year.
TEST(ClockRecordEncode, YearBytes) {
    EXPECT_EQ(toHex(ClockRecord::encode(clock(1, 1, 1, 0, 0, 0))).substr(0, 5), "00 01");
    EXPECT_EQ(toHex(ClockRecord::encode(clock(5, 1, 1, 0, 0, 0))).substr(0, 5), "00 05");
    EXPECT_EQ(toHex(ClockRecord::encode(clock(1999, 1, 1, 0, 0, 0))).substr(0, 5), "19 99");
    EXPECT_EQ(toHex(ClockRecord::encode(clock(9999, 1, 1, 0, 0, 0))).substr(0, 5), "99 99");
}

// Values validation lets through (hour 24, minute/second 60, 31 February) go out as typed.
TEST(ClockRecordEncode, AcceptedOddValuesAreWrittenAsTyped) {
    EXPECT_EQ(toHex(ClockRecord::encode(clock(2008, 2, 31, 24, 60, 60))), "20 08 02 31 24 60 60");
}

// Out-of-range fields (never passed by the window) still give one byte each, no overflow.
TEST(ClockRecordEncode, UnvalidatedFieldsStayWithinOneByte) {
    ClockRecord::Bytes bytes = ClockRecord::encode(clock(INT32_MAX, -1, 100, INT32_MIN, 0, 0));
    EXPECT_EQ(bytes.size(), 7u);
    EXPECT_EQ(bytes[ClockRecord::kDay], 0xA0); // 10 tens, 0 units, as the nibble rule says
}

} // namespace
} // namespace kovra
