#include "records/recorder_settings.h"

namespace kovra {

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
