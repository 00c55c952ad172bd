// The request target read as the server's routes need it: names between '/' and the query's
// parameters, every escape decoded once. A target that could name something outside the
// routes (a "..", a separator or a NUL spelt as an escape, a backslash) is refused whole: no
// name from a URL is ever a path on the disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kovra::server {

struct Target {
    std::vector<std::string> names; // "/api/videos/3" -> {"api", "videos", "3"}; "/" -> {}
    std::vector<std::pair<std::string, std::string>> query; // in order, repeats kept
};

// Nothing for a target that is not origin-form ("/..."), holds an empty name other than a
// final one, ".", "..", a bad or a separator's escape (%2F, %5C), an escaped NUL or control,
// or a character outside printable ASCII.
std::optional<Target> parseTarget(std::string_view target);

// A decimal number of at most maxDigits digits, "0" or without a leading zero.
std::optional<std::uint64_t> parseDecimal(std::string_view text, std::size_t maxDigits);

// "12", "12.5", "0.040": a non-negative decimal of seconds with at most six decimals, in
// microseconds; nothing for a sign, an exponent, or more than maxWholeDigits whole digits.
std::optional<std::int64_t> parseMicroseconds(std::string_view text, std::size_t maxWholeDigits);

} // namespace kovra::server
