// The page faults of work done in this process, as the kernel counts them: the in-process
// benchmarks' counterpart of what wait4 tells of a child.
#pragma once

#include <sys/resource.h>

namespace kovra::bench {

struct PageFaults {
    long minor = 0, major = 0;

    PageFaults& operator+=(const PageFaults& other) {
        minor += other.minor;
        major += other.major;
        return *this;
    }
};

// This process's faults so far; the difference of two is what happened between them.
inline PageFaults pageFaultsSoFar() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return {usage.ru_minflt, usage.ru_majflt};
}

inline PageFaults operator-(const PageFaults& later, const PageFaults& earlier) {
    return {later.minor - earlier.minor, later.major - earlier.major};
}

} // namespace kovra::bench
