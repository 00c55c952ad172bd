#include "avi/plan.h"

namespace kovra::avi {

Plan planWhole(const VideoReading& reading) {
    Plan plan;
    if (reading.sound())
        plan.asIs = true;
    else
        plan.ranges.push_back({0, 0, reading.chunks.size()});
    return plan;
}

} // namespace kovra::avi
