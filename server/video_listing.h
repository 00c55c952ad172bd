// The videos of a folder as `videos` lists them, and each as its JSON object: the one listing
// that the command prints and the local server serves.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "clips/timed_video.h"
#include "platform/platform.h"

namespace kovra::server {

struct ListedVideo {
    std::string path;  // where it is read from
    std::string shown; // as given, or relative to the folder searched
    clips::TimedVideo video;
    std::string failure; // why the file could not be read at all
};

// Said on stderr by the command; kept or dropped by the server.
using Warn = std::function<void(const std::string& message)>;

// The file read and appended, its recording time moved by offsetMillis (--clock-offset); one
// that cannot be read is appended with why, and said.
void listFile(Platform& platform, const std::string& file, const std::string& shown,
              std::int64_t offsetMillis, std::vector<ListedVideo>& into, const Warn& warn);
// A file that could not be read at all, appended with why, and said.
void listFailure(const std::string& shown, const std::string& why, std::vector<ListedVideo>& into,
                 const Warn& warn);
// Every video below folder in the search's order (by path), and what could not be read; a link
// not followed, or a limit reached, is only said.
void listFolder(Platform& platform, const std::string& folder, std::int64_t offsetMillis,
                std::vector<ListedVideo>& into, const Warn& warn);

// The object `videos --json` prints for it.
nlohmann::json listedJson(const ListedVideo& listed);

} // namespace kovra::server
