// Who may ask the local server anything: a request that names this server as its host (no
// other name a page could rebind to 127.0.0.1), carries this run's token (a cookie the token's
// link sets, or an Authorization header), and for a write, comes from this server's own page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/reply.h"

namespace kovra::server {

constexpr const char* kTokenCookie = "kovra_token";

enum class Proof {
    None,  // no token at all
    Wrong, // a token, not this run's
    Right,
};

// Equal texts, compared in a time that depends on their lengths alone, never on where they
// first differ.
bool sameSecret(std::string_view a, std::string_view b);

// "application/json", with parameters (charset) or not, in any case.
bool isJsonType(std::string_view contentType);

class Access {
  public:
    Access(std::string token, std::uint16_t port);

    // Host is 127.0.0.1:PORT, localhost:PORT or [::1]:PORT, and given once.
    bool hostAllowed(const Request& request) const;
    // The token of the cookie or of "Authorization: Bearer".
    Proof proof(const Request& request) const;
    bool tokenMatches(std::string_view token) const { return sameSecret(token, token_); }
    // Origin is this server's own: http://127.0.0.1:PORT or http://localhost:PORT.
    bool originAllowed(const Request& request) const;
    // The cookie the token's link sets: the page's requests carry it, no other site's do.
    std::string cookie() const;

  private:
    std::string token_;
    std::string port_;
};

} // namespace kovra::server
