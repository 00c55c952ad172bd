#include "avi/plan.h"

namespace kovra::avi {

Plan planWhole(const VideoReading& reading) {
    Plan plan;
    // What a FAT32 card holds: a repair keeps the one RIFF it always wrote.
    plan.singleRiffUpTo = kMaxOutputSize;
    if (reading.sound())
        plan.asIs = true;
    else
        plan.ranges.push_back({0, 0, reading.chunks.size(), {}});
    return plan;
}

} // namespace kovra::avi
