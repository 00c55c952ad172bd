// The real platform with the shell's "open" replaced by a log, so no player ever starts, and
// the temporary folder's name scripted when a test sets one.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/forwarding_platform.h"

namespace kovra::test {

class ShellLogPlatform : public ForwardingPlatform {
  public:
    std::vector<std::string> opened; // every path the shell was asked to open
    int copies = 0;
    std::optional<std::string> tempAnswer; // unset: the real temporary folder
    OsError tempError = OsError::None;

    OsError tempPath(char* buffer, std::size_t capacity) override {
        if (tempError != OsError::None)
            return tempError;
        if (!tempAnswer)
            return real_.tempPath(buffer, capacity);
        if (tempAnswer->size() >= capacity)
            return OsError::TooLong;
        std::memcpy(buffer, tempAnswer->c_str(), tempAnswer->size() + 1);
        return OsError::None;
    }
    OsError copy(const char* source, const char* target) override {
        ++copies;
        return real_.copy(source, target);
    }
    OsError shellOpen(const char* path) override {
        opened.push_back(path);
        return OsError::None;
    }
};

} // namespace kovra::test
