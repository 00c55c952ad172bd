#include "avi/finding.h"

namespace kovra::avi {

bool isFailure(FindingKind kind) {
    return kind <= FindingKind::TooLargeToRepair;
}

} // namespace kovra::avi
