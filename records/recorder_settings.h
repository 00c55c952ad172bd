// The values the window edits: the recorder's configuration and a calendar date and time.
#pragma once

#include <cstdint>
#include <string>

namespace kovra {

// A radio index is the zero-based position of the checked button in its group; -1 when none
// is checked. A value read from the card may lie outside its group and is kept as it is.
constexpr std::int32_t kNoRadioChecked = -1;

struct RecorderSettings {
    static constexpr std::int32_t kDefaultFileCount = 20;
    static constexpr std::int32_t kDefaultSensitivityStep = 8;

    // Only the low 16 bits of a count reach the card.
    std::int32_t maxCycleFiles = kDefaultFileCount;
    std::int32_t maxGsensorFiles = kDefaultFileCount;
    std::int32_t maxManualFiles = kDefaultFileCount;
    std::int32_t triggerResolution = 0; // 0 "QVGA ", 1 "VGA"
    std::int32_t loopResolution = 0;    // 0 "QVGA 6.375FPS", 1 "VGA 6.375FPS"
    std::int32_t frameRate = 0;         // 0 "30FPS", 1 "24FPS", 2 "15FPS", 3 "13.3FPS"
    std::int32_t overwrite = 0;         // 0 "Yes", 1 "No"
    std::int32_t sensitivityStep = kDefaultSensitivityStep; // slider step 2 to 40
};

// The radio indices the recorder's rules name.
constexpr std::int32_t kResolutionQvga = 0;
constexpr std::int32_t kResolutionVga = 1;
constexpr std::int32_t kFrameRate30 = 0;
constexpr std::int32_t kFrameRate24 = 1;
constexpr std::int32_t kFrameRate15 = 2;
constexpr std::int32_t kFrameRate13_3 = 3;

// The recorder records VGA at 15 or 13.3 frames a second only; QVGA at any of the four.
constexpr bool frameRateAllowed(std::int32_t triggerResolution, std::int32_t frameRate) {
    return triggerResolution != kResolutionVga || frameRate == kFrameRate15 ||
           frameRate == kFrameRate13_3;
}
// What choosing VGA does to a frame rate it does not allow, as the window does.
constexpr std::int32_t kVgaFallbackFrameRate = kFrameRate15;

struct ClockFields {
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t month = 0;
    std::int32_t second = 0;
    std::int32_t year = 0;

    // From a local time record laid out as Windows' SYSTEMTIME (the platform's SystemTime):
    // year, month, day, hour, minute and second widened; the day of the week and the
    // milliseconds dropped.
    template <class LocalTime> static ClockFields fromLocalTime(const LocalTime& time) {
        ClockFields fields;
        fields.year = time.year;
        fields.month = time.month;
        fields.day = time.day;
        fields.hour = time.hour;
        fields.minute = time.minute;
        fields.second = time.second;
        return fields;
    }
};

// "YYYY-MM-DD HH:MM:SS", as `clock set` takes a date and `clock show` gives one.
std::string clockText(const ClockFields& fields);

enum class ClockField { Day, Hour, Minute, Month, Second, Year };

struct FieldRange {
    std::int32_t min;
    std::int32_t max;
    bool contains(std::int32_t value) const { return value >= min && value <= max; }
};

// The range a typed clock field must lie in. Hour 24 and minute or second 60 pass on purpose:
// the recorder is given what was typed. The day is not checked against the month.
FieldRange clockFieldRange(ClockField field);

// The range of a typed file count: the card keeps 16 bits, so a larger count would be stored
// as another number.
constexpr FieldRange kFileCountRange{0, 65535};

} // namespace kovra
