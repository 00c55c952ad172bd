#include "avi/recording_date.h"

#include <cstdio>

namespace kovra::avi {

namespace {

constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr int kMonthCount = 12;
constexpr int kDaysInMonth[kMonthCount] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int kFebruary = 2;
// As ffmpeg reads them: the weekday and month names, a 1- or 2-digit day, and a year of up to
// 4 digits.
constexpr std::size_t kNameLetters = 3;
constexpr std::size_t kMostDayDigits = 2;
constexpr std::size_t kMostYearDigits = 4;
constexpr std::size_t kFieldDigits = 2; // month and day of the slashed form, hh, mm, ss
constexpr int kLastHour = 23, kLastMinute = 59, kLastSecond = 59;
constexpr int kFirstYear = 1, kLastYear = 9999;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text up to its first NUL, as ffmpeg reads it (a C string), looked at one field at a time.
class Fields {
  public:
    Fields(const char* text, std::size_t size) : text_(text) {
        while (end_ < size && text[end_] != '\0')
            ++end_;
    }

    bool atEnd() const { return pos_ == end_; }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }

    // One or more spaces, as scanf's "%*[ ]" takes them.
    bool spaces() {
        std::size_t from = pos_;
        while (peek() == ' ')
            ++pos_;
        return pos_ != from;
    }
    void optionalSpaces() { spaces(); }
    // Characters up to the next space, at least one and at most most of them.
    bool word(std::size_t most, const char*& start, std::size_t& length) {
        start = text_ + pos_;
        length = 0;
        while (!atEnd() && peek() != ' ' && length < most) {
            ++pos_;
            ++length;
        }
        return length != 0;
    }
    // A decimal number of at least least and at most most digits.
    bool number(std::size_t least, std::size_t most, int& value) {
        std::size_t digits = 0;
        value = 0;
        while (digits < most && isDigit(peek())) {
            value = value * 10 + (peek() - '0');
            ++pos_;
            ++digits;
        }
        return digits >= least;
    }
    bool literal(char c) {
        if (peek() != c)
            return false;
        ++pos_;
        return true;
    }
    // What may follow the date: spaces and a line break, as asctime ends its text.
    bool onlyLineEndLeft() {
        for (; !atEnd(); ++pos_)
            if (peek() != ' ' && peek() != '\r' && peek() != '\n')
                return false;
        return true;
    }

  private:
    const char* text_;
    std::size_t end_ = 0;
    std::size_t pos_ = 0;
};

int monthNamed(const char* name, std::size_t length) {
    if (length != kNameLetters)
        return 0;
    for (int m = 0; m < kMonthCount; ++m) {
        bool same = true;
        for (std::size_t i = 0; i < kNameLetters; ++i) {
            char c = name[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            same = same && c == kMonths[m][i];
        }
        if (same)
            return m + 1;
    }
    return 0;
}

bool leapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool possible(const RecordingDate& d) {
    if (d.year < kFirstYear || d.year > kLastYear || d.month < 1 || d.month > kMonthCount)
        return false;
    int days = kDaysInMonth[d.month - 1] + (d.month == kFebruary && leapYear(d.year) ? 1 : 0);
    return d.day >= 1 && d.day <= days && d.hour <= kLastHour && d.minute <= kLastMinute &&
           d.second <= kLastSecond;
}

bool timeOfDay(Fields& f, RecordingDate& d) {
    return f.number(kFieldDigits, kFieldDigits, d.hour) && f.literal(':') &&
           f.number(kFieldDigits, kFieldDigits, d.minute) && f.literal(':') &&
           f.number(kFieldDigits, kFieldDigits, d.second);
}

// "Mon Mar 10 15:04:43 2003": any spaces between the fields, the weekday not checked.
bool asctimeForm(Fields f, RecordingDate& d) {
    const char* name;
    std::size_t length;
    f.optionalSpaces();
    if (!f.word(kNameLetters, name, length) || !f.spaces() || !f.word(kNameLetters, name, length) ||
        !f.spaces())
        return false;
    d.month = monthNamed(name, length);
    return d.month != 0 && f.number(1, kMostDayDigits, d.day) && f.spaces() && timeOfDay(f, d) &&
           f.spaces() && f.number(1, kMostYearDigits, d.year) && f.onlyLineEndLeft();
}

// "2003/03/10 15:04:43".
bool slashedForm(Fields f, RecordingDate& d) {
    return f.number(kMostYearDigits, kMostYearDigits, d.year) && f.literal('/') &&
           f.number(kFieldDigits, kFieldDigits, d.month) && f.literal('/') &&
           f.number(kFieldDigits, kFieldDigits, d.day) && f.spaces() && timeOfDay(f, d) &&
           f.onlyLineEndLeft();
}

} // namespace

std::optional<RecordingDate> parseRecordingDate(const char* text, std::size_t size) {
    if (!text)
        return std::nullopt;
    const Fields fields(text, size);
    RecordingDate asctime, slashed;
    if (asctimeForm(fields, asctime) && possible(asctime))
        return asctime;
    if (slashedForm(fields, slashed) && possible(slashed))
        return slashed;
    return std::nullopt;
}

std::string recordingDateText(const RecordingDate& d, std::size_t room) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    constexpr std::size_t kAsctimeLength = 25; // with its line break
    constexpr std::size_t kSlashLength = 19;
    char text[32];
    if (room >= kAsctimeLength - 1) {
        // Zeller's congruence, for the weekday C's asctime writes first.
        int m = d.month < 3 ? d.month + 12 : d.month, y = d.month < 3 ? d.year - 1 : d.year;
        int weekday = (d.day + 13 * (m + 1) / 5 + y + y / 4 - y / 100 + y / 400 + 6) % 7;
        std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04d\n", kDays[weekday],
                      kMonthNames[d.month - 1], d.day, d.hour, d.minute, d.second, d.year);
        return std::string(text, room >= kAsctimeLength ? kAsctimeLength : kAsctimeLength - 1);
    }
    if (room >= kSlashLength) {
        std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", d.year, d.month, d.day,
                      d.hour, d.minute, d.second);
        return text;
    }
    return "";
}

} // namespace kovra::avi
