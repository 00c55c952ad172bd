// libFuzzer entry for the local server's routes: any request target, content type and body,
// as GET or POST, through the same rules a real request passes (the Host right and the token
// given, so that the input reaches the routes). A media route is only ever handed a path the
// listing gave and values in their bounds; every reply carries the three headers and never
// Access-Control-Allow-Origin; a target the parser takes holds no name that could be a path.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "server/router.h"

namespace {

using namespace kovra::server;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "server_fuzz: %s\n", what);
        std::abort();
    }
}

const std::vector<std::string> kPaths{"/card/A.avi", "/card/DCIM/B.avi", "/card/C.avi"};

bool listed(const std::string& video) {
    for (const std::string& path : kPaths)
        if (path == video)
            return true;
    return false;
}

class CheckedMedia : public MediaRoutes {
  public:
    Reply frame(const std::string& video, std::uint64_t n) override {
        require(listed(video) && n <= UINT32_MAX, "a frame handed an unlisted path or number");
        return {kOk, "image/jpeg", "", {}};
    }
    Reply frames(const std::string& video, std::uint64_t from, std::uint64_t count) override {
        require(listed(video) && from <= UINT32_MAX && count >= 1 && count <= kMostBatchFrames,
                "a batch handed an unlisted path, a number or a count out of bounds");
        return {kOk, "application/octet-stream", "", {}};
    }
    Reply sound(const std::string& video, const SoundSpan& span) override {
        require(listed(video), "a sound handed an unlisted path");
        require(span.fromMicros >= 0 && span.fromMicros < span.toMicros &&
                    span.toMicros - span.fromMicros <= kLongestSoundMicros,
                "a span out of its bounds");
        return {kOk, "audio/wav", "", {}};
    }
    Reply pictures(const std::string& video) override {
        require(listed(video), "pictures handed an unlisted path");
        return {kOk, "application/json", "{}", {}};
    }
    Reply picture(const std::string& video, std::uint64_t k) override {
        require(listed(video) && k < 100, "a picture of an unlisted path or past two digits");
        return {kOk, "image/jpeg", "", {}};
    }
    Reply saveClip(kovra::clips::ClockMillis start, kovra::clips::ClockMillis end) override {
        require(start < end && end - start <= kLongestClipMillis, "a clip out of its bounds");
        return {kOk, "application/json", "{}", {}};
    }
    Reply saveFrame(const std::string& video, std::uint64_t n) override {
        require(listed(video) && n <= UINT32_MAX, "a saved frame of an unlisted path or number");
        return {kOk, "application/json", "{}", {}};
    }
};

// The next line of the input, or the rest of it.
std::string line(const char*& at, const char* end) {
    const char* start = at;
    while (at < end && *at != '\n')
        ++at;
    std::string text(start, at);
    if (at < end)
        ++at;
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const char* at = reinterpret_cast<const char*>(data) + 1;
    const char* end = reinterpret_cast<const char*>(data) + size;
    constexpr std::uint16_t kPort = 8080;
    static CheckedMedia media;
    static Router router(Access("t0k3n", kPort), RouterContent{"{}", "{}", kPaths}, &media, 0);
    Request request;
    request.method = data[0] & 1 ? "POST" : "GET";
    request.target = line(at, end);
    request.contentType = line(at, end);
    request.body = std::string(at, end);
    request.host = "127.0.0.1:8080";
    request.origin = "http://localhost:8080";
    if (data[0] & 2)
        request.authorization = "Bearer t0k3n";
    else
        request.cookie = "kovra_token=t0k3n";

    std::optional<Target> target = parseTarget(request.target);
    if (target)
        for (const std::string& name : target->names)
            require(name.find("..") == std::string::npos &&
                        name.find_first_of("/\\") == std::string::npos && !name.empty(),
                    "a target taken whose name could be a path");
    Reply reply = router.answer(request);
    require(reply.headers.size() >= Router::standardHeaders().size(),
            "a reply without its headers");
    for (std::size_t i = 0; i < Router::standardHeaders().size(); ++i)
        require(reply.headers[i] == Router::standardHeaders()[i], "a reply without its headers");
    for (const Header& header : reply.headers)
        require(header.first != "Access-Control-Allow-Origin", "a reply that lets other sites in");
    return 0;
}
