#include "records/recorder_settings.h"

#include <cstdio>

namespace kovra {

std::string clockText(const ClockFields& f) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day,
                  f.hour, f.minute, f.second);
    return text;
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
