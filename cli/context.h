// What every command is given: the platform, and the options that hold for all of them.
#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/card_root.h"
#include "cli/output.h"
#include "device/free_name_platform.h"
#include "platform/platform.h"

namespace kovra::cli {

struct Context {
    Platform& platform;
    std::string cardOption; // --card
    bool json = false;      // --json
    std::optional<FoundCard> found;

    // Found once, so that what is said about other media is said once.
    const FoundCard& card() {
        if (!found)
            found = requireCard(platform, cardOption);
        return *found;
    }
    // A file on the card's root folder.
    std::string onCard(const char* name) { return joinPath(card().root, name); }
};

// Refuses an empty text where a path is wanted: it names no file, and must not fall back to
// a default one.
inline CLI::Validator nonEmptyPath() {
    return CLI::Validator(
        [](std::string& text) {
            return text.empty() ? std::string("an empty path names no file") : std::string();
        },
        "");
}

// Only a regular file, or nothing, is ever replaced by a command's output: a folder, a device,
// a FIFO never; a link only when forced (the link is replaced, not what it leads to); an
// existing file only when forced where fileNeedsForce. A refusal is a usage error.
void requireReplaceable(Platform& platform, const std::string& path, bool force,
                        bool fileNeedsForce);

// The platform a command's output is written through. Without --force, OUT held nothing when
// requireReplaceable() looked, and the finished file takes the name only if it still holds
// nothing: a file made there while the output was written is kept, and the write fails with
// "already exists".
class OutputPlatform {
  public:
    OutputPlatform(Platform& platform, const std::string& out, bool force) : platform_(platform) {
        if (!force)
            onlyNew_.emplace(
                platform, [out](unsigned) { return out; }, 1);
    }
    Platform& get() { return onlyNew_ ? *onlyNew_ : platform_; }

  private:
    Platform& platform_;
    std::optional<FreeNamePlatform> onlyNew_;
};

// Whether two paths reach one file (links and other spellings resolved).
bool sameFile(Platform& platform, const std::string& a, const std::string& b);

// Adds --clock-offset to a command that takes or shows a recording time.
void addClockOffsetOption(CLI::App& command, std::string& offset);
// What --clock-offset says, in milliseconds (0 when not given); it is checked as it is read.
std::int64_t clockOffsetMillis(const std::string& offset);

// Adds --json to a command that shows something.
inline void addJsonFlag(CLI::App& command, Context& context) {
    command.add_flag("--json", context.json, "Print one JSON document on stdout instead of text");
}

void addCardCommand(CLI::App& app, Context& context);
void addConfigCommands(CLI::App& app, Context& context);
void addClockCommands(CLI::App& app, Context& context);
void addPlayCommand(CLI::App& app, Context& context);
void addVideosCommand(CLI::App& app, Context& context);
void addRepairCommand(CLI::App& app, Context& context);
void addExportCommand(CLI::App& app, Context& context);
void addClipCommands(CLI::App& app, Context& context);
void addWatchCommand(CLI::App& app, Context& context);
void addGalleryCommand(CLI::App& app, Context& context);
void addServeCommand(CLI::App& app, Context& context);

} // namespace kovra::cli
