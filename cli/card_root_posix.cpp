#include <cstdlib>

#include "cli/card_root.h"
#include "device/removable_mounts.h"

namespace kovra::cli {

std::optional<FoundCard> detectCard(Platform&) {
    // Tests point this at a tree of their own mount table and sysfs files.
    const char* root = std::getenv("KOVRA_SYSTEM_ROOT");
    std::vector<RemovableMount> mounts = findRemovableMounts(root ? root : "");
    if (mounts.empty())
        return std::nullopt;
    FoundCard card{mounts[0].mountPoint, mounts[0].device, mounts[0].reason, {}};
    for (std::size_t i = 1; i < mounts.size(); ++i)
        card.others.push_back(mounts[i].device + " at " + mounts[i].mountPoint);
    return card;
}

} // namespace kovra::cli
