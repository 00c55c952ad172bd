// The card a command works on: the folder given with --card, or the one the card finder finds.
#pragma once

#include <string>

#include "device/card_finder.h"
#include "platform/platform.h"

namespace kovra::cli {

// The card's root: given, or found (the other removable media named on stderr); no card is a
// Failure with kNoCard.
FoundCard requireCard(Platform& platform, const std::string& given);

} // namespace kovra::cli
