#include "records/recorder_settings.h"

namespace kovra {

ClockFields ClockFields::fromLocalTime(const SystemTime& time) {
    ClockFields fields;
    fields.year = time.year;
    fields.month = time.month;
    fields.day = time.day;
    fields.hour = time.hour;
    fields.minute = time.minute;
    fields.second = time.second;
    return fields;
}

FieldRange clockFieldRange(ClockField field) {
    switch (field) {
    case ClockField::Day:
        return {1, 31};
    case ClockField::Hour:
        return {0, 24};
    case ClockField::Minute:
    case ClockField::Second:
        return {0, 60};
    case ClockField::Month:
        return {1, 12};
    case ClockField::Year:
        return {1, 9999};
    }
    return {0, -1};
}

} // namespace kovra
