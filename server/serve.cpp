#include "server/serve.h"

#include <cstdio>
#include <stdexcept>

#include "platform/random_bytes.h"
#include "server/browser_link.h"
#include "server/card_view.h"
#include "server/player_routes.h"
#include "words/os_error_words.h"

namespace kovra::server {

std::string makeToken() {
    unsigned char bytes[kTokenBytes];
    OsError error = randomBytes(bytes, sizeof bytes);
    if (error != OsError::None)
        throw std::runtime_error("no random bytes for the token: " + words::describe(error));
    std::string token;
    for (unsigned char byte : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        token += hex;
    }
    return token;
}

void serve(Platform& platform, const ServeSettings& settings,
           const std::function<void(const std::string& url)>& announce,
           const std::function<void(const std::string& message)>& say) {
    // From here an interrupt only marks the process: the loop sees it and ends, and the
    // browser's page goes with it.
    platform.deferInterrupts();
    // The port first: one that is taken is said before a large card is read.
    HttpServer http(settings.port, settings.idleTimeout);
    std::string token = makeToken();
    CardView view = readCardView(platform, settings.card, settings.clockOffsetMillis);
    if (platform.interrupted())
        return; // while the card was read: nothing served, no browser opened
    std::uint16_t port = http.port();
    player::PlayerSettings playing;
    playing.saveFolder = settings.save;
    playing.clockOffsetMillis = settings.clockOffsetMillis;
    // Saves are writes like any other: an interrupt during one fails it, its file removed.
    PlayerRoutes media(platform, settings.card, view.videos, playing);
    Router router(Access(token, port), routerContent(view), &media, settings.clockOffsetMillis);
    std::string url = "http://127.0.0.1:" + std::to_string(port) + "/?token=" + token;
    announce(url);
    BrowserLink link(platform);
    if (settings.openBrowser) {
        std::string failure = link.open(url);
        if (!failure.empty())
            say(failure);
    }
    http.run(router, [&platform] { return platform.interrupted(); });
}

} // namespace kovra::server
