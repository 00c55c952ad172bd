#include "cli/card_root.h"

namespace kovra::cli {

std::optional<FoundCard> detectCard(Platform& platform) {
    std::vector<MountedMedium> media;
    // A mount table that cannot be read shows no card, as one without removable media does.
    if (platform.mountedMedia(media) != OsError::None || media.empty())
        return std::nullopt;
    FoundCard card{media[0].mountPoint, media[0].device, media[0].reason, {}};
    for (std::size_t i = 1; i < media.size(); ++i)
        card.others.push_back(media[i].device + " at " + media[i].mountPoint);
    return card;
}

} // namespace kovra::cli
