// kovra-cli serve: the card in a browser, served on 127.0.0.1 to whoever holds this run's
// token, until the user interrupts it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"
#include "server/http_server.h"

namespace kovra::server {

struct ServeSettings {
    std::string card; // the folder whose videos are listed
    std::string save; // where the media routes write
    std::uint16_t port = 0;
    bool openBrowser = true;
    std::int64_t clockOffsetMillis = 0;
    std::chrono::milliseconds idleTimeout = kIdleTimeout;
};

// The bytes of a token: 256 bits, of which any 128 would do.
constexpr std::size_t kTokenBytes = 32;

// A fresh token from the system's generator, in hexadecimal; a std::runtime_error where the
// system gives no random bytes.
std::string makeToken();

// Lists the card, listens, hands announce the URL with the token, opens the browser on it
// unless told not to (a failure to is handed to say), and serves the page, the listing and the
// player's frames, sound and saves until an interrupt (Ctrl+C, SIGTERM, SIGHUP, the console
// closing), leaving no file behind. A port that cannot be had is a std::runtime_error.
void serve(Platform& platform, const ServeSettings& settings,
           const std::function<void(const std::string& url)>& announce,
           const std::function<void(const std::string& message)>& say);

} // namespace kovra::server
