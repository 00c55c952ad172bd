// Where kovra-cli's words go: results on stdout (text for people, or one JSON document),
// warnings and errors on stderr, one line each.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "device/file_paths.h"
#include "platform/platform.h"

namespace kovra::cli {

constexpr const char* kProgramName = "kovra-cli";

void warn(const std::string& message);
void printJson(const nlohmann::json& document);

} // namespace kovra::cli
