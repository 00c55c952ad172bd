// Linux: a desktop notification through notify-send, where it is installed.
#pragma once

#include <string>

namespace kovra::posix {

// Runs notify-send TITLE TEXT without a shell; its outcome is not waited for beyond a moment,
// and a failure is no one's concern.
void notify(const std::string& title, const std::string& text);

} // namespace kovra::posix
