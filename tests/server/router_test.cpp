// The local server's routes in-process: what each media route hands on (the video's path from
// the listing, the parsed values) and what it refuses before handing anything on.
#include <gtest/gtest.h>

#include "server/router.h"

namespace kovra::server {
namespace {

constexpr std::uint16_t kPort = 8080;
constexpr std::int64_t kHourMillis = 60 * 60 * 1000;

class RecordingMedia : public MediaRoutes {
  public:
    std::string call; // the last call, as "frame PATH N"; empty when none came
    Reply frame(const std::string& video, std::uint64_t n) override {
        return said("frame " + video + " " + std::to_string(n));
    }
    Reply frames(const std::string& video, std::uint64_t from, std::uint64_t count) override {
        return said("frames " + video + " " + std::to_string(from) + " " + std::to_string(count));
    }
    Reply sound(const std::string& video, const SoundSpan& span) override {
        return said("sound " + video + " " + std::to_string(span.fromMicros) + " " +
                    std::to_string(span.toMicros));
    }
    Reply pictures(const std::string& video) override { return said("pictures " + video); }
    Reply picture(const std::string& video, std::uint64_t k) override {
        return said("picture " + video + " " + std::to_string(k));
    }
    Reply saveClip(clips::ClockMillis start, clips::ClockMillis end) override {
        return said("clip " + clips::isoText(start) + " " + clips::isoText(end));
    }
    Reply saveFrame(const std::string& video, std::uint64_t n) override {
        return said("saveFrame " + video + " " + std::to_string(n));
    }

  private:
    Reply said(const std::string& text) {
        call = text;
        return {kOk, "text/plain", text, {}};
    }
};

Router makeRouter(MediaRoutes* media) {
    RouterContent content;
    content.videoPaths = {"/card/DCIM/A.avi", "/card/B.avi"};
    // The recorder's clock runs an hour behind the true one.
    return Router(Access("t0k3n", kPort), content, media, kHourMillis);
}

Request request(const std::string& method, const std::string& target, const std::string& body) {
    Request r;
    r.method = method;
    r.target = target;
    r.host = "127.0.0.1:8080";
    r.authorization = "Bearer t0k3n";
    r.origin = "http://127.0.0.1:8080";
    r.contentType = "application/json";
    r.body = body;
    return r;
}

struct RouteCase {
    const char* fault; // what the case guards against
    const char* method;
    const char* target;
    const char* body;
    unsigned status;
    const char* call; // what the media routes were handed; "" for nothing
};

const RouteCase kRouteCases[] = {
    {"the id's video not the one handed on", "GET", "/api/videos/1/frames/12", "", kOk,
     "frame /card/B.avi 12"},
    {"the last frame a 32-bit index counts refused", "GET", "/api/videos/0/frames/4294967295", "",
     kOk, "frame /card/DCIM/A.avi 4294967295"},
    {"a frame number past 32 bits wrapped", "GET", "/api/videos/0/frames/4294967296", "", kNotFound,
     ""},
    {"a sign taken as part of a number", "GET", "/api/videos/0/frames/+1", "", kNotFound, ""},
    {"an exponent taken as a number", "GET", "/api/videos/0/frames/1e3", "", kNotFound, ""},
    {"an id past the listing handed on", "GET", "/api/videos/2/frames/0", "", kNotFound, ""},
    {"a batch of another video than the id's", "GET", "/api/videos/1/frames?count=3&from=7", "",
     kOk, "frames /card/B.avi 7 3"},
    {"the largest batch refused", "GET", "/api/videos/0/frames?from=0&count=32", "", kOk,
     "frames /card/DCIM/A.avi 0 32"},
    {"a batch over the bound handed on", "GET", "/api/videos/0/frames?from=0&count=33", "",
     kBadRequest, ""},
    {"an empty batch handed on", "GET", "/api/videos/0/frames?from=0&count=0", "", kBadRequest, ""},
    {"a batch from past 32 bits wrapped", "GET", "/api/videos/0/frames?from=4294967296&count=1", "",
     kBadRequest, ""},
    {"a batch without its start", "GET", "/api/videos/0/frames?count=2", "", kBadRequest, ""},
    {"a batch's count given twice", "GET", "/api/videos/0/frames?from=0&count=1&count=2", "",
     kBadRequest, ""},
    {"a batch by POST", "POST", "/api/videos/0/frames?from=0&count=1", "{}", kMethodNotAllowed, ""},
    {"decimals of seconds misread", "GET", "/api/videos/0/sound?from=0.5&to=1.000025", "", kOk,
     "sound /card/DCIM/A.avi 500000 1000025"},
    {"the parameters' order mattering", "GET", "/api/videos/1/sound?to=2&from=0", "", kOk,
     "sound /card/B.avi 0 2000000"},
    {"the longest span refused", "GET", "/api/videos/0/sound?from=10&to=610", "", kOk,
     "sound /card/DCIM/A.avi 10000000 610000000"},
    {"a span past ten minutes taken", "GET", "/api/videos/0/sound?from=10&to=610.000001", "",
     kBadRequest, ""},
    {"an empty span taken", "GET", "/api/videos/0/sound?from=1&to=1", "", kBadRequest, ""},
    {"a missing end taken", "GET", "/api/videos/0/sound?from=1", "", kBadRequest, ""},
    {"a repeated parameter, the second one winning", "GET",
     "/api/videos/0/sound?from=1&from=0&to=2", "", kBadRequest, ""},
    {"a seventh decimal rounded", "GET", "/api/videos/0/sound?from=0.0000001&to=1", "", kBadRequest,
     ""},
    {"a negative second taken", "GET", "/api/videos/0/sound?from=-1&to=1", "", kBadRequest, ""},
    {"an unknown parameter ignored", "GET", "/api/videos/0/sound?from=0&to=1&x=2", "", kBadRequest,
     ""},
    {"the clock offset not taken off a clip's range", "POST", "/api/clips",
     R"({"start": "2020-01-02 10:00:00.250", "end": "2020-01-02 10:00:05"})", kOk,
     "clip 2020-01-02T09:00:00.250 2020-01-02T09:00:05.000"},
    {"a clip that ends before it starts", "POST", "/api/clips",
     R"({"start": "2020-01-02 10:00:05", "end": "2020-01-02 10:00:00"})", kBadRequest, ""},
    {"a clip of more than a day", "POST", "/api/clips",
     R"({"start": "2020-01-02 10:00:00", "end": "2020-01-03 10:00:00.001"})", kBadRequest, ""},
    {"a time as a number", "POST", "/api/clips", R"({"start": 1, "end": 2})", kBadRequest, ""},
    {"a body that is no JSON", "POST", "/api/clips", "start=1&end=2", kBadRequest, ""},
    {"a saved frame of another video", "POST", "/api/frames", R"({"id": 1, "n": 3})", kOk,
     "saveFrame /card/B.avi 3"},
    {"an id as text taken", "POST", "/api/frames", R"({"id": "1", "n": 3})", kBadRequest, ""},
    {"a negative id wrapped", "POST", "/api/frames", R"({"id": -1, "n": 3})", kBadRequest, ""},
    {"a fractional frame truncated", "POST", "/api/frames", R"({"id": 0, "n": 1.5})", kBadRequest,
     ""},
    {"a saved frame of an id past the listing", "POST", "/api/frames", R"({"id": 2, "n": 0})",
     kNotFound, ""},
    {"the strip of another video than the id's", "GET", "/api/videos/1/pictures", "", kOk,
     "pictures /card/B.avi"},
    {"a strip of an id past the listing handed on", "GET", "/api/videos/2/pictures", "", kNotFound,
     ""},
    {"a picture of the strip misnumbered", "GET", "/api/videos/0/pictures/7", "", kOk,
     "picture /card/DCIM/A.avi 7"},
    {"a picture number of three digits taken", "GET", "/api/videos/0/pictures/100", "", kNotFound,
     ""},
    {"a picture number with a leading zero taken", "GET", "/api/videos/0/pictures/07", "",
     kNotFound, ""},
    {"a picture named as a file", "GET", "/api/videos/0/pictures/1.jpg", "", kNotFound, ""},
    {"a picture reached through an escaped '..'", "GET", "/api/videos/0/pictures/%2E%2E", "",
     kNotFound, ""},
    {"an escaped separator in a picture's name", "GET", "/api/videos/0/pictures%2F1", "", kNotFound,
     ""},
    {"a picture by POST", "POST", "/api/videos/0/pictures/0", "{}", kMethodNotAllowed, ""},
    {"a write by GET", "GET", "/api/frames", "", kMethodNotAllowed, ""},
    {"a frame by POST", "POST", "/api/videos/0/frames/0", "{}", kMethodNotAllowed, ""},
};

TEST(ServerRoutes, EachHandsOnWhatItParsedOrRefuses) {
    for (const RouteCase& c : kRouteCases) {
        RecordingMedia media;
        Router router = makeRouter(&media);
        Reply reply = router.answer(request(c.method, c.target, c.body));
        EXPECT_EQ(reply.status, c.status) << c.fault << ": " << c.target << " " << reply.body;
        EXPECT_EQ(media.call, c.call) << c.fault;
    }
}

TEST(ServerRoutes, WithoutAPlayerTheMediaRoutesSaySo) {
    Router router = makeRouter(nullptr);
    EXPECT_EQ(router.answer(request("GET", "/api/videos/0/frames/0", "")).status, kNotImplemented);
    // Checked all the same: a wrong id is still no such video.
    EXPECT_EQ(router.answer(request("GET", "/api/videos/5/frames/0", "")).status, kNotFound);
    EXPECT_EQ(router.answer(request("GET", "/api/videos/0/pictures/0", "")).status,
              kNotImplemented);
}

struct TargetCase {
    const char* fault;
    const char* target;
    bool accepted;
};

const TargetCase kTargetCases[] = {
    {"a plain route refused", "/api/videos/0/frames/1", true},
    {"a '..' name", "/api/..", false},
    {"a '..' inside a name", "/api/a..b", false},
    {"an escaped '..'", "/api/%2E%2e", false},
    {"an escaped '/'", "/api/videos%2F0", false},
    {"an escaped '\\'", "/api/videos%5c0", false},
    {"a raw '\\'", "/api\\videos", false},
    {"an escaped NUL", "/api/videos%00", false},
    {"an escape cut short", "/api/videos%2", false},
    {"an escaped '%' decoded twice", "/api/%252e%252e", false},
    {"an empty name", "/api//videos", false},
    {"a target not from the root", "api/videos", false},
    {"an absolute URL", "http://evil.example/api/videos", false},
    {"a '..' in the query", "/?token=..", false},
};

TEST(ServerTargets, NothingThatCouldNameAPathGetsThrough) {
    for (const TargetCase& c : kTargetCases)
        EXPECT_EQ(parseTarget(c.target).has_value(), c.accepted) << c.fault << ": " << c.target;
}

TEST(ServerAccess, TheTokenMustMatchWhole) {
    Access access("t0k3n", kPort);
    Request r = request("GET", "/", "");
    for (const char* wrong : {"t0k3", "t0k3n0", "T0K3N", ""}) {
        r.authorization = std::string("Bearer ") + wrong;
        EXPECT_EQ(access.proof(r), Proof::Wrong) << wrong;
    }
    // A wrong cookie beside the right one does not shut its owner out.
    r.authorization.clear();
    r.cookie = "other=1; kovra_token=x; kovra_token=t0k3n";
    EXPECT_EQ(access.proof(r), Proof::Right);
}

} // namespace
} // namespace kovra::server
