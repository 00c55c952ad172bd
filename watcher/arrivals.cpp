#include "watcher/arrivals.h"

#include <algorithm>

namespace kovra::watcher {

std::vector<Medium> Arrivals::update(const std::vector<Medium>& now) {
    std::vector<Medium> came;
    for (const Medium& medium : now)
        if (!present(medium))
            came.push_back(medium);
    present_ = now;
    return came;
}

bool Arrivals::present(const Medium& medium) const {
    return std::find(present_.begin(), present_.end(), medium) != present_.end();
}

} // namespace kovra::watcher
