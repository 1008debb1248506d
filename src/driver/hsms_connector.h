#pragma once

#include <asio/any_io_executor.hpp>
#include <asio/ip/tcp.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

#include "driver/deadline.h"
#include "driver/driver_errors.h"

namespace kest {

/// "127.0.0.1:5000".
std::string EndpointText(const asio::ip::tcp::endpoint& endpoint);

/// The passive side's listening socket: accepts connections and hands each one over; the
/// owner decides whether to serve or refuse it.
class HsmsListener : public std::enable_shared_from_this<HsmsListener> {
  public:
    using AcceptHandler = std::function<void(asio::ip::tcp::socket)>;
    using ErrorHandler = std::function<void(const std::string&)>;

    explicit HsmsListener(const asio::any_io_executor& executor);

    /// Binds to `address` ("" or "0.0.0.0": every interface) and `port` (0: any free port) and
    /// listens. Returns the reason when that fails, else an empty text.
    std::string Listen(const std::string& address, std::uint16_t port);
    /// Accepts until stopped. A failed accept is reported and retried a second later.
    void Start(AcceptHandler on_accept, ErrorHandler on_error);
    /// Closes the listening socket; no handler is called afterwards.
    void Stop();
    /// The bound port, 0 before `Listen` succeeded.
    std::uint16_t Port() const;
    /// "0.0.0.0:5000".
    std::string Where() const;

  private:
    void AcceptNext();

    asio::ip::tcp::acceptor acceptor_;
    Deadline retry_;
    AcceptHandler on_accept_;
    ErrorHandler on_error_;
    bool stopped_ = false;
};

/// Listens on `address`:`port` (port 0: any free one) for `owner`, a transport: an accepted
/// socket goes to its `accepted`, a failed accept to its `report` as "port open failed". Null,
/// with "Cannot listen on <where>: <reason>" in `problem`, when the address cannot be bound.
template <class Owner>
std::shared_ptr<HsmsListener> ListenFor(std::weak_ptr<Owner> owner,
                                        void (Owner::*accepted)(asio::ip::tcp::socket),
                                        void (Owner::*report)(int, const std::string&),
                                        const asio::any_io_executor& executor,
                                        const std::string& address, std::uint16_t port,
                                        std::string& problem) {
    auto listener = std::make_shared<HsmsListener>(executor);
    problem = listener->Listen(address, port);
    if (!problem.empty()) {
        problem = "Cannot listen on " + (address.empty() ? "0.0.0.0" : address) + ":" +
                  std::to_string(port) + ": " + problem;
        return nullptr;
    }
    listener->Start(
        [owner, accepted](asio::ip::tcp::socket socket) {
            if (auto self = owner.lock()) ((*self).*accepted)(std::move(socket));
        },
        [owner, report](const std::string& text) {
            if (auto self = owner.lock()) ((*self).*report)(driver_error::kPortOpenFailed, text);
        });
    return listener;
}

/// One connection attempt of the active side, bounded in time.
class HsmsConnector : public std::enable_shared_from_this<HsmsConnector> {
  public:
    /// `ec` is empty on success; `peer` names the address tried or reached.
    using Handler = std::function<void(std::error_code ec, asio::ip::tcp::socket socket,
                                       const std::string& peer)>;

    explicit HsmsConnector(const asio::any_io_executor& executor);

    /// Resolves `host` (numeric or a name) and connects to `port`; `done` runs once, with
    /// `asio::error::timed_out` when `limit` passed first. One attempt at a time.
    void Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds limit,
                 Handler done);
    /// Abandons the attempt; `done` is not called.
    void Stop();

  private:
    void ConnectTo(const asio::ip::tcp::resolver::results_type& endpoints);
    void Finish(std::error_code ec, const std::string& peer);

    asio::any_io_executor executor_;
    asio::ip::tcp::resolver resolver_;
    asio::ip::tcp::socket socket_;
    Deadline limit_;
    Handler done_;
    std::string target_;
    std::uint64_t attempt_ = 0;
};

}  // namespace kest
