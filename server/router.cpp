#include "server/router.h"

#include <limits>

#include <nlohmann/json.hpp>

#include "server/page_files.h"

namespace kovra::server {

namespace {

constexpr const char* kContentSecurityPolicy =
    "default-src 'self'; img-src 'self' blob:; media-src 'self' blob:; connect-src 'self'; "
    "object-src 'none'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'";
// A listing of a card holds far fewer videos than this; an id of more digits names none.
constexpr std::size_t kMostIdDigits = 9;
// A frame number: the AVI index counts in 32 bits.
constexpr std::size_t kMostFrameDigits = 10;
constexpr std::uint64_t kMostFrame = std::numeric_limits<std::uint32_t>::max();
// A picture of the strip: the gallery's strip holds a handful, never a hundred.
constexpr std::size_t kMostPictureDigits = 2;
// Seconds into a video: a day's worth and more.
constexpr std::size_t kMostSecondDigits = 6;

constexpr const char* kOnToThePage =
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
    "<meta http-equiv=\"refresh\" content=\"0; url=/\"><title>Kovra</title></head>"
    "<body><a href=\"/\">Kovra</a></body></html>\n";

constexpr const char* kNoPlayer = "this build of Kovra reads no frames or sound yet";

Reply withStandardHeaders(Reply reply) {
    const std::vector<Header>& standard = Router::standardHeaders();
    reply.headers.insert(reply.headers.begin(), standard.begin(), standard.end());
    return reply;
}

Reply notAllowed(const char* allowed) {
    Reply reply = errorReply(kMethodNotAllowed, std::string("only ") + allowed + " here");
    reply.headers.emplace_back("Allow", allowed);
    return reply;
}

std::optional<std::uint64_t> frameNumber(const std::string& text) {
    std::optional<std::uint64_t> n = parseDecimal(text, kMostFrameDigits);
    return n && *n <= kMostFrame ? n : std::nullopt;
}

// Where a query misses what a route takes.
enum class QueryFault { None, Names, Value };

// The two values a route takes from its query, each named once and each parsed; no other name.
template <typename T, typename Parse>
QueryFault twoValues(const Target& target, const char* firstName, const char* secondName,
                     const Parse& parse, std::optional<T>& first, std::optional<T>& second) {
    for (const auto& [key, value] : target.query) {
        std::optional<T>* slot = key == firstName ? &first : key == secondName ? &second : nullptr;
        if (!slot || *slot)
            return QueryFault::Names;
        *slot = parse(value);
        if (!*slot)
            return QueryFault::Value;
    }
    return first && second ? QueryFault::None : QueryFault::Names;
}

} // namespace

Reply errorReply(unsigned status, const std::string& why) {
    return {status, "application/json", nlohmann::json{{"error", why}}.dump() + "\n", {}};
}

Reply jsonReply(const std::string& document) {
    return {kOk, "application/json", document, {}};
}

const std::vector<Header>& Router::standardHeaders() {
    static const std::vector<Header> headers{
        {"Content-Security-Policy", kContentSecurityPolicy},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
    };
    return headers;
}

Reply Router::refusal(unsigned status, const std::string& why) {
    return withStandardHeaders(errorReply(status, why));
}

Router::Router(Access access, RouterContent content, MediaRoutes* media,
               std::int64_t clockOffsetMillis)
    : access_(std::move(access)), content_(std::move(content)), media_(media),
      clockOffsetMillis_(clockOffsetMillis) {}

Reply Router::answer(const Request& request) {
    // Before anything else: a page of another name that resolves here (DNS rebinding) learns
    // nothing, not even whether its token is right.
    if (!access_.hostAllowed(request))
        return refusal(kMisdirected, "this server answers only as 127.0.0.1 or localhost");
    std::optional<Target> target = parseTarget(request.target);
    // The token's link: a right token becomes the cookie and the page, without it in the URL.
    if (target && target->names.empty() && request.method == "GET") {
        for (const auto& [key, value] : target->query) {
            if (key != "token")
                continue;
            if (!access_.tokenMatches(value))
                return refusal(kForbidden, "that is not this run's token");
            // A page that goes on to "/" itself rather than an HTTP redirect: a browser sends no
            // SameSite=Strict cookie along a redirect that a page elsewhere (the file the
            // browser was opened on) started, and "/" would be refused.
            Reply reply{kOk, "text/html; charset=utf-8", kOnToThePage, {}};
            reply.headers = {{"Set-Cookie", access_.cookie()}, {"Cache-Control", "no-store"}};
            return withStandardHeaders(reply);
        }
    }
    switch (access_.proof(request)) {
    case Proof::None:
        return refusal(kUnauthorized, "open the link kovra-cli serve printed");
    case Proof::Wrong:
        return refusal(kForbidden, "that is not this run's token");
    case Proof::Right:
        break;
    }
    if (!target)
        return refusal(kNotFound, "no such thing here");
    if (request.method == "POST") {
        // A form of another site may POST here with the cookie, but only as a form's types
        // and from its own origin.
        if (!isJsonType(request.contentType))
            return refusal(kUnsupportedMediaType, "a write takes application/json only");
        if (!access_.originAllowed(request))
            return refusal(kForbidden, "a write comes only from this server's own page");
    }
    return withStandardHeaders(route(request, *target));
}

Reply Router::route(const Request& request, const Target& target) {
    const std::vector<std::string>& n = target.names;
    bool get = request.method == "GET", post = request.method == "POST";
    // The page and its script and style: "/" is the page.
    if (n.size() <= 1) {
        // The icon a browser asks for by its old name, unasked: the page's own.
        const std::string name = n.empty()               ? "index.html"
                                 : n[0] == "favicon.ico" ? "icon.svg"
                                                         : n[0];
        const PageFile* file = pageFile(name);
        if (!file)
            return errorReply(kNotFound, "no such thing here");
        return get ? Reply{kOk, file->contentType, file->text, {}} : notAllowed("GET");
    }
    if (n[0] != "api")
        return errorReply(kNotFound, "no such thing here");
    if (n.size() == 2 && n[1] == "videos")
        return get ? jsonReply(content_.videosJson) : notAllowed("GET");
    if (n.size() == 2 && n[1] == "card")
        return get ? jsonReply(content_.cardJson) : notAllowed("GET");
    if (n.size() == 5 && n[1] == "videos" && n[3] == "frames")
        return get ? frameRoute(n[2], n[4]) : notAllowed("GET");
    if (n.size() == 4 && n[1] == "videos" && n[3] == "frames")
        return get ? framesRoute(n[2], target) : notAllowed("GET");
    if (n.size() == 4 && n[1] == "videos" && n[3] == "sound")
        return get ? soundRoute(n[2], target) : notAllowed("GET");
    if (n.size() == 4 && n[1] == "videos" && n[3] == "pictures")
        return get ? picturesRoute(n[2]) : notAllowed("GET");
    if (n.size() == 5 && n[1] == "videos" && n[3] == "pictures")
        return get ? pictureRoute(n[2], n[4]) : notAllowed("GET");
    if (n.size() == 2 && n[1] == "clips")
        return post ? clipRoute(request.body) : notAllowed("POST");
    if (n.size() == 2 && n[1] == "frames")
        return post ? saveFrameRoute(request.body) : notAllowed("POST");
    return errorReply(kNotFound, "no such thing here");
}

const std::string* Router::videoPath(const std::string& id) const {
    std::optional<std::uint64_t> index = parseDecimal(id, kMostIdDigits);
    if (!index || *index >= content_.videoPaths.size())
        return nullptr;
    return &content_.videoPaths[*index];
}

Reply Router::frameRoute(const std::string& id, const std::string& n) {
    const std::string* video = videoPath(id);
    if (!video)
        return errorReply(kNotFound, "no video of that id in the listing");
    std::optional<std::uint64_t> frame = frameNumber(n);
    if (!frame)
        return errorReply(kNotFound, "no frame of that number");
    if (!media_)
        return errorReply(kNotImplemented, kNoPlayer);
    return media_->frame(*video, *frame);
}

Reply Router::framesRoute(const std::string& id, const Target& target) {
    const std::string* video = videoPath(id);
    if (!video)
        return errorReply(kNotFound, "no video of that id in the listing");
    std::optional<std::uint64_t> from, count;
    QueryFault fault = twoValues(target, "from", "count", frameNumber, from, count);
    if (fault == QueryFault::Names)
        return errorReply(kBadRequest, "frames take from=N and count=K, each once");
    if (fault == QueryFault::Value)
        return errorReply(kBadRequest, "from and count are frame numbers, as 12");
    if (*count == 0 || *count > kMostBatchFrames)
        return errorReply(kBadRequest,
                          "a batch holds 1 to " + std::to_string(kMostBatchFrames) + " frames");
    if (!media_)
        return errorReply(kNotImplemented, kNoPlayer);
    return media_->frames(*video, *from, *count);
}

Reply Router::soundRoute(const std::string& id, const Target& target) {
    const std::string* video = videoPath(id);
    if (!video)
        return errorReply(kNotFound, "no video of that id in the listing");
    std::optional<std::int64_t> from, to;
    auto seconds = [](const std::string& text) {
        return parseMicroseconds(text, kMostSecondDigits);
    };
    QueryFault fault = twoValues(target, "from", "to", seconds, from, to);
    if (fault == QueryFault::Names)
        return errorReply(kBadRequest, "sound takes from=S and to=S, each once");
    if (fault == QueryFault::Value)
        return errorReply(kBadRequest, "from and to are seconds, as 12 or 12.5");
    if (*from >= *to || *to - *from > kLongestSoundMicros)
        return errorReply(kBadRequest, "from comes before to, and a span is at most 600 s");
    if (!media_)
        return errorReply(kNotImplemented, kNoPlayer);
    return media_->sound(*video, {*from, *to});
}

Reply Router::picturesRoute(const std::string& id) {
    const std::string* video = videoPath(id);
    if (!video)
        return errorReply(kNotFound, "no video of that id in the listing");
    if (!media_)
        return errorReply(kNotImplemented, kNoPlayer);
    return media_->pictures(*video);
}

Reply Router::pictureRoute(const std::string& id, const std::string& k) {
    const std::string* video = videoPath(id);
    if (!video)
        return errorReply(kNotFound, "no video of that id in the listing");
    std::optional<std::uint64_t> picture = parseDecimal(k, kMostPictureDigits);
    if (!picture)
        return errorReply(kNotFound, "no picture of that number");
    if (!media_)
        return errorReply(kNotImplemented, kNoPlayer);
    return media_->picture(*video, *picture);
}

Reply Router::clipRoute(const std::string& body) {
    nlohmann::json document = nlohmann::json::parse(body, nullptr, false);
    auto time = [&](const char* key) -> std::optional<clips::ClockMillis> {
        if (!document.is_object() || !document.contains(key) || !document[key].is_string())
            return std::nullopt;
        return clips::parseClockTime(document[key].get<std::string>());
    };
    std::optional<clips::ClockMillis> start = time("start"), end = time("end");
    if (!start || !end)
        return errorReply(kBadRequest,
                          "a clip takes {\"start\": \"YYYY-MM-DD HH:MM:SS.fff\", \"end\": ...}");
    if (*start >= *end || *end - *start > kLongestClipMillis)
        return errorReply(kBadRequest, "start comes before end, and a clip is at most a day");
    if (!media_)
        return errorReply(kNotImplemented, kNoPlayer);
    // Given as the page shows them: on the true clock where --clock-offset says how far the
    // recorder's is off.
    return media_->saveClip(*start - clockOffsetMillis_, *end - clockOffsetMillis_);
}

Reply Router::saveFrameRoute(const std::string& body) {
    nlohmann::json document = nlohmann::json::parse(body, nullptr, false);
    if (!document.is_object() || !document.contains("id") || !document.contains("n") ||
        !document["id"].is_number_unsigned() || !document["n"].is_number_unsigned())
        return errorReply(kBadRequest, "a frame takes {\"id\": ID, \"n\": N}");
    std::uint64_t id = document["id"].get<std::uint64_t>();
    std::uint64_t n = document["n"].get<std::uint64_t>();
    if (id >= content_.videoPaths.size())
        return errorReply(kNotFound, "no video of that id in the listing");
    if (n > kMostFrame)
        return errorReply(kNotFound, "no frame of that number");
    if (!media_)
        return errorReply(kNotImplemented, kNoPlayer);
    return media_->saveFrame(content_.videoPaths[id], n);
}

} // namespace kovra::server
