// Which media came since the last look: a medium is handled once each time it appears, and
// forgotten once it has gone, so that putting it in again handles it again.
#pragma once

#include <vector>

#include "watcher/media_scan.h"

namespace kovra::watcher {

class Arrivals {
  public:
    // The media of now that were not there at the last look, in the order given.
    std::vector<Medium> update(const std::vector<Medium>& now);
    bool present(const Medium& medium) const;

  private:
    std::vector<Medium> present_;
};

} // namespace kovra::watcher
