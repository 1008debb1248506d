#include "driver/hsms_connector.h"

#include <asio/connect.hpp>

namespace kest {

using asio::ip::tcp;

namespace {
constexpr std::chrono::milliseconds kAcceptRetry{1000};
}

std::string EndpointText(const tcp::endpoint& endpoint) {
    return endpoint.address().to_string() + ":" + std::to_string(endpoint.port());
}

HsmsListener::HsmsListener(const asio::any_io_executor& executor)
    : acceptor_(executor), retry_(executor) {}

std::string HsmsListener::Listen(const std::string& address, std::uint16_t port) {
    std::error_code ec;
    asio::ip::address ip = address.empty() ? asio::ip::address(asio::ip::address_v4::any())
                                           : asio::ip::make_address(address, ec);
    if (ec) return "\"" + address + "\" is not an IP address";
    tcp::endpoint endpoint(ip, port);
    acceptor_.open(endpoint.protocol(), ec);
    if (ec) return ec.message();
    // A restarted equipment must get its port back while old connections linger in TIME_WAIT.
    acceptor_.set_option(tcp::acceptor::reuse_address(true), ec);
    acceptor_.bind(endpoint, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        std::string reason = ec.message();
        std::error_code ignored;
        acceptor_.close(ignored);
        return reason;
    }
    return {};
}

void HsmsListener::Start(AcceptHandler on_accept, ErrorHandler on_error) {
    on_accept_ = std::move(on_accept);
    on_error_ = std::move(on_error);
    AcceptNext();
}

void HsmsListener::Stop() {
    stopped_ = true;
    retry_.Cancel();
    std::error_code ignored;
    acceptor_.close(ignored);
    on_accept_ = nullptr;
    on_error_ = nullptr;
}

std::uint16_t HsmsListener::Port() const {
    std::error_code ec;
    auto endpoint = acceptor_.local_endpoint(ec);
    return ec ? 0 : endpoint.port();
}

std::string HsmsListener::Where() const {
    std::error_code ec;
    auto endpoint = acceptor_.local_endpoint(ec);
    return ec ? "nowhere" : EndpointText(endpoint);
}

void HsmsListener::AcceptNext() {
    acceptor_.async_accept([self = shared_from_this()](std::error_code ec, tcp::socket socket) {
        if (self->stopped_) return;
        if (ec) {
            if (self->on_error_) self->on_error_("Accepting a connection failed: " + ec.message());
            if (self->stopped_) return;
            // Out of descriptors and the like: wait instead of spinning.
            self->retry_.Start(kAcceptRetry, self, [raw = self.get()] {
                if (!raw->stopped_) raw->AcceptNext();
            });
            return;
        }
        if (self->on_accept_) self->on_accept_(std::move(socket));
        if (!self->stopped_) self->AcceptNext();
    });
}

HsmsConnector::HsmsConnector(const asio::any_io_executor& executor)
    : executor_(executor), resolver_(executor), socket_(executor), limit_(executor) {}

void HsmsConnector::Connect(const std::string& host, std::uint16_t port,
                            std::chrono::milliseconds limit, Handler done) {
    done_ = std::move(done);
    target_ = host + ":" + std::to_string(port);
    std::uint64_t attempt = ++attempt_;
    auto self = shared_from_this();
    limit_.Start(limit, self, [this] {
        resolver_.cancel();
        std::error_code ignored;
        socket_.close(ignored);
        Finish(asio::error::timed_out, target_);
    });
    std::error_code ec;
    auto ip = asio::ip::make_address(host, ec);
    if (!ec) {
        ConnectTo(tcp::resolver::results_type::create(tcp::endpoint(ip, port), host,
                                                      std::to_string(port)));
        return;
    }
    resolver_.async_resolve(
        host, std::to_string(port),
        [self, attempt](std::error_code ec, tcp::resolver::results_type results) {
            if (attempt != self->attempt_ || !self->done_) return;
            if (ec) {
                self->Finish(ec, self->target_);
                return;
            }
            self->ConnectTo(results);
        });
}

void HsmsConnector::ConnectTo(const tcp::resolver::results_type& endpoints) {
    std::uint64_t attempt = attempt_;
    asio::async_connect(
        socket_, endpoints,
        [self = shared_from_this(), attempt](std::error_code ec, const tcp::endpoint& endpoint) {
            if (attempt != self->attempt_ || !self->done_) return;
            self->Finish(ec, ec ? self->target_ : EndpointText(endpoint));
        });
}

void HsmsConnector::Finish(std::error_code ec, const std::string& peer) {
    limit_.Cancel();
    auto done = std::exchange(done_, nullptr);
    ++attempt_;  // whatever is still in flight for this attempt is now stale
    tcp::socket socket(std::move(socket_));
    socket_ = tcp::socket(executor_);
    if (ec) {
        std::error_code ignored;
        socket.close(ignored);
    }
    if (done) done(ec, std::move(socket), peer);
}

void HsmsConnector::Stop() {
    ++attempt_;
    done_ = nullptr;
    limit_.Cancel();
    resolver_.cancel();
    std::error_code ignored;
    socket_.close(ignored);
}

}  // namespace kest
