#include "server/http_server.h"

#include <optional>
#include <stdexcept>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

namespace kovra::server {

namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using Message = http::request<http::string_body>;

// How often the loop asks whether to stop: an interrupt marks the process, and the loop sees it
// this soon.
constexpr std::chrono::milliseconds kStopLook{200};
// Out of descriptors, accepting again at once would only fail again.
constexpr std::chrono::milliseconds kAcceptRetry{100};
constexpr unsigned kHttp11 = 11;
constexpr std::size_t kDrainBytes = 4096;

Request plainRequest(const Message& message) {
    Request request;
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    int hosts = 0;
    for (const auto& field : message) {
        std::string value(field.value());
        switch (field.name()) {
        case http::field::host:
            ++hosts;
            request.host = value;
            break;
        case http::field::cookie:
            request.cookie += (request.cookie.empty() ? "" : "; ") + value;
            break;
        case http::field::authorization:
            request.authorization = value;
            break;
        case http::field::origin:
            request.origin = value;
            break;
        case http::field::content_type:
            request.contentType = value;
            break;
        default:
            break;
        }
    }
    request.hostRepeated = hosts > 1;
    request.body = message.body();
    return request;
}

http::response<http::string_body> httpReply(const Reply& reply, unsigned version, bool keepAlive) {
    http::response<http::string_body> response{static_cast<http::status>(reply.status), version};
    response.set(http::field::server, "Kovra");
    response.set(http::field::content_type, reply.contentType);
    for (const Header& header : reply.headers)
        response.insert(header.first, header.second);
    response.body() = reply.body;
    response.keep_alive(keepAlive);
    response.prepare_payload();
    return response;
}

class Session : public std::enable_shared_from_this<Session> {
  public:
    Session(tcp::socket socket, Router& router, std::chrono::milliseconds idle)
        : stream_(std::move(socket)), router_(router), idle_(idle) {}

    void read() {
        parser_.emplace();
        parser_->header_limit(kMostHeaderBytes);
        parser_->body_limit(kMostBodyBytes);
        // The whole request within the idle time: a client sending a byte now and then is
        // idle too.
        stream_.expires_after(idle_);
        http::async_read(stream_, buffer_, *parser_,
                         [self = shared_from_this()](beast::error_code error, std::size_t) {
                             self->onRead(error);
                         });
    }

  private:
    void onRead(beast::error_code error) {
        if (error == http::error::header_limit)
            return send(Router::refusal(kHeadersTooLarge, "request headers of at most 8 KiB"),
                        kHttp11, false);
        if (error == http::error::body_limit)
            return send(Router::refusal(kPayloadTooLarge, "a body of at most 64 KiB"), kHttp11,
                        false);
        if (error == http::error::end_of_stream || error == beast::error::timeout)
            return close();
        if (error) {
            // Not HTTP at all: said, where the client may still read it.
            if (error.category() == http::make_error_code(http::error::bad_target).category())
                return send(Router::refusal(kBadRequest, "not a request this server reads"),
                            kHttp11, false);
            return close();
        }
        const Message& message = parser_->get();
        send(router_.answer(plainRequest(message)), message.version(), message.keep_alive());
    }

    void send(const Reply& reply, unsigned version, bool keepAlive) {
        response_ = httpReply(reply, version, keepAlive);
        // A client that reads nothing is idle too.
        stream_.expires_after(idle_);
        http::async_write(
            stream_, response_,
            [self = shared_from_this(), keepAlive](beast::error_code error, std::size_t) {
                if (error)
                    return self->stream_.close();
                if (!keepAlive)
                    return self->close();
                self->read();
            });
    }

    // Ends the sending side and reads what the client still sends until it closes, so that a
    // refused request's remaining bytes do not reset the connection before the refusal is read:
    // for the idle time at most, however the client trickles them.
    void close() {
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        stream_.expires_after(idle_);
        drain();
    }

    void drain() {
        stream_.async_read_some(net::buffer(drained_),
                                [self = shared_from_this()](beast::error_code error, std::size_t) {
                                    if (error)
                                        return self->stream_.close();
                                    self->drain();
                                });
    }

    beast::tcp_stream stream_;
    Router& router_;
    std::chrono::milliseconds idle_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    http::response<http::string_body> response_;
    char drained_[kDrainBytes];
};

} // namespace

struct HttpServer::State {
    // Optional so that run() can end every session before the router it holds goes.
    std::optional<net::io_context> context;
    std::optional<tcp::acceptor> acceptor;
    std::optional<net::steady_timer> look;
    std::chrono::milliseconds idle{};
    Router* router = nullptr;
    std::function<bool()> stop;

    void accept() {
        acceptor->async_accept([this](beast::error_code error, tcp::socket socket) {
            if (error == net::error::operation_aborted)
                return;
            if (!error) {
                std::make_shared<Session>(std::move(socket), *router, idle)->read();
                return accept();
            }
            auto retry = std::make_shared<net::steady_timer>(*context, kAcceptRetry);
            retry->async_wait([this, retry](beast::error_code) { accept(); });
        });
    }

    void watch() {
        look->expires_after(kStopLook);
        look->async_wait([this](beast::error_code error) {
            if (error)
                return;
            if (stop()) {
                context->stop();
                return;
            }
            watch();
        });
    }
};

HttpServer::HttpServer(std::uint16_t port, std::chrono::milliseconds idleTimeout)
    : state_(std::make_unique<State>()) {
    state_->idle = idleTimeout;
    state_->context.emplace(1);
    state_->acceptor.emplace(*state_->context);
    state_->look.emplace(*state_->context);
    try {
        tcp::acceptor& acceptor = *state_->acceptor;
        acceptor.open(tcp::v4());
#ifdef _WIN32
        // No other program may bind the same port beside us and take our connections.
        acceptor.set_option(
            net::detail::socket_option::boolean<SOL_SOCKET, SO_EXCLUSIVEADDRUSE>(true));
#endif
        acceptor.bind({net::ip::address_v4::loopback(), port});
        acceptor.listen(net::socket_base::max_listen_connections);
    } catch (const boost::system::system_error& error) {
        throw std::runtime_error("127.0.0.1:" + std::to_string(port) + ": " +
                                 error.code().message());
    }
}

HttpServer::~HttpServer() = default;

std::uint16_t HttpServer::port() const {
    return state_->acceptor->local_endpoint().port();
}

void HttpServer::run(Router& router, const std::function<bool()>& stop) {
    state_->router = &router;
    state_->stop = stop;
    state_->accept();
    state_->watch();
    state_->context->run();
    // The sessions still open end here, with the handlers that hold them.
    state_->look.reset();
    state_->acceptor.reset();
    state_->context.reset();
}

} // namespace kovra::server
