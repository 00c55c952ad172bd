#include "device/card_finder.h"

#include "device/removable_media.h"

namespace kovra {

std::optional<FoundCard> findCard(FileSystem& files) {
    std::vector<RemovableMedium> media;
    // Where the media could not be listed, none is taken for the card.
    if (scanRemovableMedia(files, EmptyReaders::Counted, media) != OsError::None || media.empty())
        return std::nullopt;
    const RemovableMedium& first = media.front();
    FoundCard card{first.mountPoint, first.device, first.reason, {}};
    for (std::size_t i = 1; i < media.size(); ++i)
        card.others.push_back(media[i].device + " at " + media[i].mountPoint);
    return card;
}

} // namespace kovra
