// The HTTP side of the local server, on Boost.Beast: one thread, each connection a session of
// its own, so that clients that send half a request and wait hold nothing up. Only this file's
// .cpp includes Beast, which is slow to compile.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "server/router.h"

namespace kovra::server {

// Request headers of at most 8 KiB (431 past them), bodies of at most 64 KiB (413).
constexpr std::size_t kMostHeaderBytes = 8 * 1024;
constexpr std::size_t kMostBodyBytes = 64 * 1024;
// A connection that sends no whole request for this long is closed.
constexpr std::chrono::seconds kIdleTimeout{30};

class HttpServer {
  public:
    // Listens on 127.0.0.1:port (0: a port the system picks); a port that cannot be had is a
    // std::runtime_error in the system's words.
    HttpServer(std::uint16_t port, std::chrono::milliseconds idleTimeout);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::uint16_t port() const;
    // Serves with router until stop() says so, asked a few times a second.
    void run(Router& router, const std::function<bool()>& stop);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace kovra::server
