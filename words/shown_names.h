// Names from the card are untrusted bytes. On a terminal a name never carries a control
// character (an escape sequence, a newline) through raw; in JSON it is valid UTF-8, with the
// raw bytes beside it when it was not.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace kovra::words {

// The name with every control character (C0, DEL, C1) and every byte that is not text in the
// system's encoding written as \xNN.
std::string shownName(const std::string& name);

// The name as valid UTF-8: converted from the system's encoding, each byte that is not part
// of a valid sequence replaced by U+FFFD.
std::string utf8Name(const std::string& name);

// Sets object[key] to the name as UTF-8 and, when that changed its bytes, object[key + "Bytes"]
// to the raw bytes in hexadecimal, so that a script can still find the file.
void putName(nlohmann::json& object, const std::string& key, const std::string& name);

} // namespace kovra::words
