#include "clips/clock_time.h"

#include <cstdio>
#include <vector>

namespace kovra::clips {

namespace {

constexpr std::int64_t kMillisPerDay = 86400000;
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the date, in the proleptic Gregorian calendar (negative before).
std::int64_t daysFromCivil(int year, int month, int day) {
    std::int64_t y = year - (month <= 2 ? 1 : 0);
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yearOfEra = y - era * 400;
    std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    std::int64_t dayOfEra = days - era * 146097;
    std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads exactly n digits at text[at].
bool digits(const std::string& text, std::size_t at, std::size_t n, int& value) {
    if (at + n > text.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (!isDigit(text[i]))
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// ".f", ".ff" or ".fff" at text[at] to its end, as milliseconds; nothing there is 0.
bool fraction(const std::string& text, std::size_t at, int& millis) {
    millis = 0;
    if (at == text.size())
        return true;
    std::size_t n = text.size() - at - 1;
    if (text[at] != '.' || n < 1 || n > 3 || !digits(text, at + 1, n, millis))
        return false;
    for (std::size_t i = n; i < 3; ++i)
        millis *= 10;
    return true;
}

// Splits "1:02:03.5" at its colons into whole numbers, the last with its fraction.
bool clockParts(const std::string& text, std::vector<int>& parts, int& millis) {
    parts.clear();
    std::size_t start = 0;
    while (true) {
        std::size_t end = start;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        if (end == start || end - start > 6)
            return false;
        parts.push_back(std::stoi(text.substr(start, end - start)));
        if (end == text.size() || text[end] == '.')
            return fraction(text, end, millis);
        if (text[end] != ':')
            return false;
        start = end + 1;
    }
}

} // namespace

bool isCivilTime(const CivilTime& t) {
    return t.year >= kFirstYear && t.year <= kLastYear && t.month >= 1 && t.month <= 12 &&
           t.day >= 1 && t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 &&
           t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59 &&
           t.millisecond >= 0 && t.millisecond <= 999;
}

ClockMillis toMillis(const CivilTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * kMillisPerDay +
           ((t.hour * 60 + t.minute) * 60 + t.second) * kMillisPerSecond + t.millisecond;
}

bool isCalendarTime(ClockMillis time) {
    static const ClockMillis kFirst = toMillis({kFirstYear, 1, 1, 0, 0, 0, 0});
    static const ClockMillis kLast = toMillis({kLastYear, 12, 31, 23, 59, 59, 999});
    return time >= kFirst && time <= kLast;
}

CivilTime toCivil(ClockMillis time) {
    std::int64_t days = time / kMillisPerDay, rest = time % kMillisPerDay;
    if (rest < 0) {
        rest += kMillisPerDay;
        --days;
    }
    CivilTime t;
    civilFromDays(days, t.year, t.month, t.day);
    t.millisecond = static_cast<int>(rest % kMillisPerSecond);
    rest /= kMillisPerSecond;
    t.second = static_cast<int>(rest % 60);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.hour = static_cast<int>(rest / 3600);
    return t;
}

std::string isoText(ClockMillis time) {
    CivilTime t = toCivil(time);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

std::string shownText(ClockMillis time) {
    CivilTime t = toCivil(time);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::optional<ClockMillis> parseClockTime(const std::string& text) {
    CivilTime t;
    bool fields = digits(text, 0, 4, t.year) && text.size() > 4 && text[4] == '-' &&
                  digits(text, 5, 2, t.month) && text.size() > 7 && text[7] == '-' &&
                  digits(text, 8, 2, t.day) && text.size() > 10 &&
                  (text[10] == ' ' || text[10] == 'T') && digits(text, 11, 2, t.hour) &&
                  text.size() > 13 && text[13] == ':' && digits(text, 14, 2, t.minute) &&
                  text.size() > 16 && text[16] == ':' && digits(text, 17, 2, t.second) &&
                  fraction(text, 19, t.millisecond);
    if (!fields || !isCivilTime(t))
        return std::nullopt;
    return toMillis(t);
}

std::optional<std::int64_t> parseVideoOffset(const std::string& text) {
    std::vector<int> parts;
    int millis = 0;
    if (!clockParts(text, parts, millis) || parts.size() > 3)
        return std::nullopt;
    // Minutes and seconds of a clock text stay below 60; a plain number of seconds may not.
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (parts[i] > 59)
            return std::nullopt;
    std::int64_t seconds = 0;
    for (int part : parts)
        seconds = seconds * 60 + part;
    return seconds * kMillisPerSecond + millis;
}

std::optional<std::int64_t> parseClockOffset(const std::string& text) {
    if (text.size() < 2 || (text[0] != '+' && text[0] != '-'))
        return std::nullopt;
    std::vector<int> parts;
    int millis = 0;
    std::string rest = text.substr(1);
    if (!clockParts(rest, parts, millis) || millis != 0 || parts.size() < 2 || parts.size() > 3 ||
        rest.find('.') != std::string::npos)
        return std::nullopt;
    for (std::size_t i = parts.size() - 2; i < parts.size(); ++i)
        if (parts[i] > 59)
            return std::nullopt;
    std::int64_t seconds = 0;
    for (int part : parts)
        seconds = seconds * 60 + part;
    return (text[0] == '-' ? -seconds : seconds) * kMillisPerSecond;
}

std::optional<std::int64_t> parseSeconds(const std::string& text) {
    std::vector<int> parts;
    int millis = 0;
    if (!clockParts(text, parts, millis) || parts.size() != 1)
        return std::nullopt;
    return std::int64_t{parts[0]} * kMillisPerSecond + millis;
}

} // namespace kovra::clips
