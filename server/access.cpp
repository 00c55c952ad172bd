#include "server/access.h"

#include <cctype>

namespace kovra::server {

namespace {

constexpr std::string_view kBearer = "Bearer ";
constexpr std::string_view kJsonType = "application/json";

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

bool sameSecret(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

bool isJsonType(std::string_view contentType) {
    std::string_view type = trimmed(contentType.substr(0, contentType.find(';')));
    return lowerCase(type) == kJsonType;
}

Access::Access(std::string token, std::uint16_t port)
    : token_(std::move(token)), port_(std::to_string(port)) {}

bool Access::hostAllowed(const Request& request) const {
    if (request.hostRepeated)
        return false;
    std::string host = lowerCase(request.host);
    return host == "127.0.0.1:" + port_ || host == "localhost:" + port_ || host == "[::1]:" + port_;
}

Proof Access::proof(const Request& request) const {
    Proof found = Proof::None;
    auto offer = [&](std::string_view token) {
        if (found != Proof::Right)
            found = tokenMatches(token) ? Proof::Right : Proof::Wrong;
    };
    if (!request.authorization.empty()) {
        std::string_view value = trimmed(request.authorization);
        offer(value.substr(0, kBearer.size()) == kBearer ? trimmed(value.substr(kBearer.size()))
                                                         : std::string_view());
    }
    std::string_view cookies = request.cookie;
    while (!cookies.empty()) {
        std::size_t end = cookies.find(';');
        std::string_view pair = trimmed(cookies.substr(0, end));
        std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos && trimmed(pair.substr(0, equals)) == kTokenCookie)
            offer(trimmed(pair.substr(equals + 1)));
        if (end == std::string_view::npos)
            break;
        cookies.remove_prefix(end + 1);
    }
    return found;
}

bool Access::originAllowed(const Request& request) const {
    // Scheme and host in any case, as a browser may not send them lowered.
    std::string origin = lowerCase(request.origin);
    return origin == "http://127.0.0.1:" + port_ || origin == "http://localhost:" + port_;
}

std::string Access::cookie() const {
    return std::string(kTokenCookie) + "=" + token_ + "; HttpOnly; SameSite=Strict; Path=/";
}

} // namespace kovra::server
