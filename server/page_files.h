// The player's page, its script and its style, built into the program from server/page/ as
// they are written: no step makes them, and the page needs nothing from another origin.
#pragma once

#include <string>

namespace kovra::server {

struct PageFile {
    const char* name;        // as the URL names it below "/": "player.js"
    const char* contentType; // "text/javascript; charset=utf-8"
    const char* text;
};

// The file of that name, or null; "index.html" is the page at "/".
const PageFile* pageFile(const std::string& name);

} // namespace kovra::server
