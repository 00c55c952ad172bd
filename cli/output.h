// Where kovra-cli's words go: results on stdout (text for people, or one JSON document),
// warnings and errors on stderr, one line each.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "platform/platform.h"

namespace kovra::cli {

constexpr const char* kProgramName = "kovra-cli";

void warn(const std::string& message);
void printJson(const nlohmann::json& document);

// An OS error in words a user can act on.
std::string describe(OsError error);

// name inside folder, with the separator the folder already uses.
std::string joinPath(const std::string& folder, const std::string& name);
// The last part of a path, after its last '/' or '\'.
std::string baseName(const std::string& path);

} // namespace kovra::cli
