#include "cli/card_root.h"

#include "cli/failure.h"
#include "cli/output.h"

namespace kovra::cli {

FoundCard requireCard(Platform& platform, const std::string& given) {
    if (!given.empty()) {
        FileInfo info;
        if (platform.info(given.c_str(), info) != OsError::None || !info.isFolder())
            throw Failure(kNoCard, given + ": no such folder (--card names the card's folder)");
        return {given, "", "given with --card", {}};
    }
    std::optional<FoundCard> found = detectCard(platform);
    if (!found)
        throw Failure(kNoCard, "no card found: insert the recorder's card, or give its folder "
                               "with --card DIR");
    for (const std::string& other : found->others)
        warn("also removable, not used: " + other + " (use --card to choose it)");
    return *found;
}

} // namespace kovra::cli
