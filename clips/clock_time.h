// Times on the recorder's clock, which knows no zone: a date and a time of day, counted here in
// milliseconds from 1970-01-01 00:00:00 of that clock. The texts people and scripts give and
// read them in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kovra::clips {

using ClockMillis = std::int64_t;

constexpr std::int64_t kMillisPerSecond = 1000;

struct CivilTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// A date that exists (leap years included), years 1 to 9999, 00:00:00.000 to 23:59:59.999.
bool isCivilTime(const CivilTime& time);
ClockMillis toMillis(const CivilTime& time);
// Whether the time falls in those years: one outside is no recording's, and has no text.
bool isCalendarTime(ClockMillis time);
CivilTime toCivil(ClockMillis time);

// "2007-10-16T08:16:47.000", the form --json gives.
std::string isoText(ClockMillis time);
// "2007-10-16 08:16:47", the form a table shows.
std::string shownText(ClockMillis time);

// "YYYY-MM-DD HH:MM:SS" with ".fff" (one to three digits) or not, a 'T' allowed for the space;
// nothing for any other text or a date that is none.
std::optional<ClockMillis> parseClockTime(const std::string& text);

// An offset into one video: "[H:]M:SS[.fff]" or seconds, "75" or "75.5"; never negative.
std::optional<std::int64_t> parseVideoOffset(const std::string& text);

// What to add to the recorder's clock for the true time: "+1:00:00", "-05:30", "+0:02"
// ("±[H:]MM:SS", the sign required).
std::optional<std::int64_t> parseClockOffset(const std::string& text);

// A length of seconds, "30" or "2.5", never negative.
std::optional<std::int64_t> parseSeconds(const std::string& text);

} // namespace kovra::clips
