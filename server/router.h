// The server's rules and routes: which request is refused and why, and what each route
// answers. No socket here: the HTTP layer hands a Request over and sends the Reply back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/access.h"
#include "server/media_routes.h"
#include "server/reply.h"
#include "server/request_target.h"

namespace kovra::server {

// The longest span of sound one request takes: ten minutes, a few MiB of WAV at the recorder's
// rates, which the page asks for in far shorter pieces.
constexpr std::int64_t kLongestSoundMicros = 10 * 60 * 1000000LL;
// A clip of at most a day: longer is no range a person marks on the timeline.
constexpr std::int64_t kLongestClipMillis = 24 * 60 * 60 * 1000LL;

// What the routes answer with, made once at start from the card's listing: the routes read
// no file themselves, and know a video only by its place here.
struct RouterContent {
    std::string videosJson, cardJson;
    std::vector<std::string> videoPaths; // by id
};

class Router {
  public:
    // media may be null: the media routes then answer 501.
    Router(Access access, RouterContent content, MediaRoutes* media,
           std::int64_t clockOffsetMillis);

    // The reply, with the headers every reply carries.
    Reply answer(const Request& request);

    // A refusal of a request that could not be read whole (431, 413, 400), with the headers
    // every reply carries.
    static Reply refusal(unsigned status, const std::string& why);
    // What every reply carries: a Content-Security-Policy naming no other origin, nosniff and
    // no referrer.
    static const std::vector<Header>& standardHeaders();

  private:
    Reply route(const Request& request, const Target& target);
    Reply frameRoute(const std::string& id, const std::string& n);
    Reply framesRoute(const std::string& id, const Target& target);
    Reply soundRoute(const std::string& id, const Target& target);
    Reply picturesRoute(const std::string& id);
    Reply pictureRoute(const std::string& id, const std::string& k);
    Reply clipRoute(const std::string& body);
    Reply saveFrameRoute(const std::string& body);
    // The path of the video the listing gave that id, or nothing.
    const std::string* videoPath(const std::string& id) const;

    Access access_;
    RouterContent content_;
    MediaRoutes* media_;
    std::int64_t clockOffsetMillis_;
};

} // namespace kovra::server
