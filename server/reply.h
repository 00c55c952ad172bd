// A request as the server's rules read it, and the reply they give: plain values, so that the
// rules are tested and fuzzed without a socket, and the HTTP library stays in one file.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kovra::server {

// HTTP status codes the server answers with.
enum Status : unsigned {
    kOk = 200,
    kBadRequest = 400,
    kUnauthorized = 401,
    kForbidden = 403,
    kNotFound = 404,
    kMethodNotAllowed = 405,
    kPayloadTooLarge = 413,
    kUnsupportedMediaType = 415,
    kMisdirected = 421,
    kUnprocessable = 422,
    kHeadersTooLarge = 431,
    kInternalError = 500,
    kNotImplemented = 501,
};

using Header = std::pair<std::string, std::string>;

struct Request {
    std::string method; // "GET", "POST"
    std::string target; // as sent: "/api/videos/3/frames/12"
    // The headers the rules read; a repeated Host makes hostRepeated true. Cookie holds every
    // Cookie header joined with "; ".
    std::string host, cookie, authorization, origin, contentType;
    bool hostRepeated = false;
    std::string body;
};

struct Reply {
    unsigned status = kOk;
    std::string contentType;
    std::string body;
    std::vector<Header> headers; // beside those every reply carries
};

// A JSON body {"error": why} with that status.
Reply errorReply(unsigned status, const std::string& why);
// A JSON document with 200.
Reply jsonReply(const std::string& document);

} // namespace kovra::server
