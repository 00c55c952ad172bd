#include "records/recorder_settings.h"

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace kovra {
namespace {

void expectRange(ClockField field, std::int32_t min, std::int32_t max) {
    FieldRange range = clockFieldRange(field);
    EXPECT_EQ(range.min, min);
    EXPECT_EQ(range.max, max);
    EXPECT_TRUE(range.contains(min));
    EXPECT_TRUE(range.contains(max));
    EXPECT_FALSE(range.contains(min - 1));
    EXPECT_FALSE(range.contains(max + 1));
}

// A new window must show the documented defaults, not zeros.
TEST(RecorderSettings, DefaultsAreThoseOfANewWindow) {
    RecorderSettings settings;
    EXPECT_EQ(settings.maxCycleFiles, 20);
    EXPECT_EQ(settings.maxGsensorFiles, 20);
    EXPECT_EQ(settings.maxManualFiles, 20);
    EXPECT_EQ(settings.triggerResolution, 0);
    EXPECT_EQ(settings.loopResolution, 0);
    EXPECT_EQ(settings.frameRate, 0);
    EXPECT_EQ(settings.overwrite, 0);
    EXPECT_EQ(settings.sensitivityStep, 8);

    ClockFields clock;
    EXPECT_EQ(clock.year + clock.month + clock.day + clock.hour + clock.minute + clock.second, 0);
}

// Hour 24 and minute/second 60 are accepted on purpose; one more is not.
TEST(ClockFieldRange, BoundsAreInclusiveAndDeliberatelyWide) {
    {
        SCOPED_TRACE("day");
        expectRange(ClockField::Day, 1, 31);
    }
    {
        SCOPED_TRACE("hour");
        expectRange(ClockField::Hour, 0, 24);
    }
    {
        SCOPED_TRACE("minute");
        expectRange(ClockField::Minute, 0, 60);
    }
    {
        SCOPED_TRACE("month");
        expectRange(ClockField::Month, 1, 12);
    }
    {
        SCOPED_TRACE("second");
        expectRange(ClockField::Second, 0, 60);
    }
    {
        SCOPED_TRACE("year");
        expectRange(ClockField::Year, 1, 9999);
    }
}

// Counts wider than 16 bits would be stored as another number on the card.
TEST(FileCountRange, IsWhatTheCardCanHold) {
    EXPECT_TRUE(kFileCountRange.contains(0));
    EXPECT_TRUE(kFileCountRange.contains(65535));
    EXPECT_FALSE(kFileCountRange.contains(65536));
    EXPECT_FALSE(kFileCountRange.contains(70000));
    EXPECT_FALSE(kFileCountRange.contains(-1));
}

// Each field must come from its own SYSTEMTIME field (day of week and milliseconds dropped).
TEST(ClockFields, TakesEachFieldFromTheLocalTime) {
    SystemTime time;
    time.year = 2007;
    time.month = 10;
    time.dayOfWeek = 2;
    time.day = 16;
    time.hour = 8;
    time.minute = 16;
    time.second = 47;
    time.milliseconds = 999;
    ClockFields fields = ClockFields::fromLocalTime(time);
    EXPECT_EQ(fields.year, 2007);
    EXPECT_EQ(fields.month, 10);
    EXPECT_EQ(fields.day, 16);
    EXPECT_EQ(fields.hour, 8);
    EXPECT_EQ(fields.minute, 16);
    EXPECT_EQ(fields.second, 47);
}

// The 16-bit fields are unsigned: a large value must not turn negative.
TEST(ClockFields, WidensUnsignedFields) {
    SystemTime time;
    time.year = 65535;
    EXPECT_EQ(ClockFields::fromLocalTime(time).year, 65535);
}

} // namespace
} // namespace kovra
