#pragma once

#include <asio/any_io_executor.hpp>
#include <asio/ip/tcp.hpp>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/deadline.h"
#include "driver/hsms_connection.h"
#include "driver/hsms_connector.h"
#include "driver/transport.h"

namespace kest {

/// Everything HSMS-SS needs from the driver's properties, copied when the port opens.
struct HsmsTransportSettings {
    HsmsRole role = HsmsRole::Passive;
    std::string local_address;  ///< passive: where to listen ("" for every interface)
    std::uint16_t local_port = 0;
    std::string remote_address;  ///< active: where to connect
    std::uint16_t remote_port = 0;
    std::chrono::milliseconds t5{10000};  ///< between connection attempts
    std::chrono::milliseconds t6{5000};
    std::chrono::milliseconds t7{10000};
    std::chrono::milliseconds t8{5000};
    std::size_t max_body_size = 16 * 1024 * 1024;
    std::size_t max_send_queue = 32 * 1024 * 1024;   ///< bytes waiting to be written
    std::chrono::milliseconds write_timeout{10000};  ///< a write making no progress
};

/// HSMS-SS over TCP: the passive side listens and serves one connection at a time (refusing
/// others while one is open); the active side connects and tries again every T5 after a failure
/// or the end of a connection.
class HsmsTransport final : public Transport,
                            private HsmsConnectionEvents,
                            public std::enable_shared_from_this<HsmsTransport> {
  public:
    /// No I/O happens before `Open`. `events` must outlive the transport or `Close` it first.
    HsmsTransport(const asio::any_io_executor& executor, HsmsTransportSettings settings,
                  TransportEvents& events);
    ~HsmsTransport() override;

    void Open() override;
    void Close(bool abrupt) override;
    bool IsReady() const noexcept override;
    void Send(const MessageHeader& header, std::vector<std::uint8_t> body) override;
    bool Linktest(std::function<void(bool)> done) override;

    /// The port the passive side listens on, 0 when it does not listen (tests open port 0).
    std::uint16_t ListeningPort() const override;

  private:
    void Listen();
    void ConnectAttempt();
    void OnConnected(std::error_code ec, asio::ip::tcp::socket socket, const std::string& peer);
    void ScheduleAttempt();
    void Accepted(asio::ip::tcp::socket socket);
    void Serve(asio::ip::tcp::socket socket, const std::string& note);
    void Report(int code, const std::string& text);
    void PostReport(int code, const std::string& text);
    void Note(const std::string& text);

    // HsmsConnectionEvents
    void Selected() override;
    void DataReceived(const hsms::Header& header, std::span<const std::uint8_t> body) override;
    void DataRejected(std::uint32_t system_bytes, std::uint8_t reason) override;
    void ProtocolProblem(const std::string& text) override;
    void ControlTraced(LogDirection direction, const hsms::Header& header) override;
    void Closed(bool was_selected, int code, const std::string& text,
                std::vector<hsms::Header> unsent) override;

    asio::any_io_executor executor_;
    HsmsTransportSettings settings_;
    TransportEvents* events_;
    std::shared_ptr<HsmsListener> listener_;
    std::shared_ptr<HsmsConnector> connector_;
    std::shared_ptr<HsmsConnection> connection_;
    Deadline t5_;
    std::string last_connect_failure_;
    bool closed_ = false;
};

/// A control message as the log shows it: "Select.rsp status 0 (established)
/// SystemBytes=0x80000001"; a rejected data message as "S1F1 W ... (data)".
std::string DescribeControl(const hsms::Header& header);

}  // namespace kest
