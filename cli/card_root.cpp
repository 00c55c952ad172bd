#include "cli/card_root.h"

#include "cli/context.h"
#include "cli/failure.h"
#include "cli/output.h"
#include "clips/clock_time.h"
#include "device/file_replacement.h"

namespace kovra::cli {

namespace {

// A recorder's clock set from a PC's is off by a zone or two, or days where its battery ran
// out and it started again: more than two days is a mistyped offset, and would move times
// past any calendar's years.
constexpr std::int64_t kMostClockOffsetMillis = 48 * 60 * 60 * clips::kMillisPerSecond;

} // namespace

FoundCard requireCard(Platform& platform, const std::string& given) {
    if (!given.empty()) {
        FileInfo info;
        if (platform.info(given.c_str(), info) != OsError::None || !info.isFolder())
            throw Failure(kNoCard, given + ": no such folder (--card names the card's folder)");
        return {given, "", "given with --card", {}};
    }
    std::optional<FoundCard> found = findCard(platform);
    if (!found)
        throw Failure(kNoCard, "no card found: insert the recorder's card, or give its folder "
                               "with --card DIR");
    for (const std::string& other : found->others)
        warn("also removable, not used: " + other + " (use --card to choose it)");
    return *found;
}

bool sameFile(Platform& platform, const std::string& a, const std::string& b) {
    FileIdentity first, second;
    return a == b || (platform.identity(a.c_str(), first) == OsError::None &&
                      platform.identity(b.c_str(), second) == OsError::None && first == second);
}

void requireReplaceable(Platform& platform, const std::string& path, bool force,
                        bool fileNeedsForce) {
    switch (targetState(platform, path)) {
    case TargetState::Absent:
        return;
    case TargetState::File:
        if (fileNeedsForce && !force)
            throw Failure(kUsage, path + ": already there (--force replaces it)");
        return;
    case TargetState::Link:
        if (!force)
            throw Failure(kUsage, path + ": a link (--force replaces the link itself)");
        return;
    case TargetState::Folder:
        throw Failure(kUsage, path + ": is a folder");
    case TargetState::Other:
        break;
    }
    throw Failure(kUsage, path + ": not a regular file; only a regular file is ever replaced");
}

void addClockOffsetOption(CLI::App& command, std::string& offset) {
    command
        .add_option("--clock-offset", offset,
                    "What to add to the recorder's clock for the true time, ±[H:]MM:SS "
                    "(times shown and given are then true times)")
        ->type_name("±[H:]MM:SS")
        ->check(CLI::Validator(
            [](std::string& text) {
                std::optional<std::int64_t> millis = clips::parseClockOffset(text);
                if (!millis)
                    return "\"" + text + "\" is not ±[H:]MM:SS (for example +1:00:00 or -05:30)";
                if (*millis > kMostClockOffsetMillis || *millis < -kMostClockOffsetMillis)
                    return "\"" + text + "\" is beyond ±48:00:00: an offset is at most 48 hours";
                return std::string();
            },
            ""));
}

std::int64_t clockOffsetMillis(const std::string& offset) {
    return offset.empty() ? 0 : clips::parseClockOffset(offset).value_or(0);
}

} // namespace kovra::cli
