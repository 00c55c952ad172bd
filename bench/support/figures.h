// How a benchmark turns repeated measurements into the figures it prints.
#pragma once

#include <algorithm>
#include <vector>

namespace kovra::bench {

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

} // namespace kovra::bench
