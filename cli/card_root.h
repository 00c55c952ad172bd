// Finding the recorder's card: the folder given with --card, or the first removable medium
// the system has, as the window finds it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kovra::cli {

struct FoundCard {
    std::string root;
    std::string device;              // empty when the folder was given
    std::string reason;              // why it counts as the card
    std::vector<std::string> others; // other removable media passed over, as "device at root"
};

// One file per system: by drive letters on Windows, by the mount table on Linux.
std::optional<FoundCard> detectCard(Platform& platform);

// The card's root: given, or detected (the others named on stderr); no card is a Failure
// with kNoCard.
FoundCard requireCard(Platform& platform, const std::string& given);

} // namespace kovra::cli
