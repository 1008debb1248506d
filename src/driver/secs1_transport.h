#pragma once

#include <array>
#include <asio/any_io_executor.hpp>
#include <asio/ip/tcp.hpp>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/deadline.h"
#include "driver/hsms_connector.h"
#include "driver/secs1_carrier.h"
#include "driver/secs1_protocol.h"
#include "driver/transport.h"

namespace kest {

/// What carries the blocks.
enum class Secs1Carrier {
    Serial,      ///< a serial device
    TcpActive,   ///< a TCP connection we open (a terminal server)
    TcpPassive,  ///< a TCP connection we accept
};

/// Everything SECS-I needs from the driver's properties, copied when the port opens.
struct Secs1TransportSettings {
    Secs1Settings protocol;
    Secs1Carrier carrier = Secs1Carrier::Serial;
    std::string serial_device;
    unsigned baud = 9600;
    std::string local_address;  ///< passive: where to listen ("" for every interface)
    std::uint16_t local_port = 0;
    std::string remote_address;  ///< active: where to connect
    std::uint16_t remote_port = 0;
    std::chrono::milliseconds t5{10000};  ///< between connection attempts
    std::chrono::milliseconds connect_limit{5000};
};

/// SECS-I as a transport. The link is ready while the carrier is open: once the serial device
/// opened, or while a TCP connection stands (the passive side serves one at a time, the active
/// side connects again every T5). A carrier that fails ends the link with 3002.
class Secs1Transport final : public Transport,
                             private Secs1Link,
                             public std::enable_shared_from_this<Secs1Transport> {
  public:
    /// No I/O happens before `Open`. `events` must outlive the transport or `Close` it first.
    Secs1Transport(const asio::any_io_executor& executor, Secs1TransportSettings settings,
                   TransportEvents& events);
    ~Secs1Transport() override;

    void Open() override;
    void Close(bool abrupt) override;
    bool IsReady() const noexcept override { return stream_ != nullptr; }
    void Send(const MessageHeader& header, std::vector<std::uint8_t> body) override;
    /// SECS-I has no link test.
    bool Linktest(std::function<void(bool)>) override { return false; }
    std::uint16_t ListeningPort() const override;
    /// Blocks take line time: T3 starts once the last one is acknowledged.
    bool ReportsSent() const noexcept override { return true; }
    /// Serves a stream opened elsewhere instead of `Open` (the master side of a
    /// pseudo-terminal in benchmarks).
    void Adopt(std::unique_ptr<Secs1Stream> stream, const std::string& note) {
        Serve(std::move(stream), note);
    }

  private:
    void OpenSerial();
    void Listen();
    void ConnectAttempt();
    void Accepted(asio::ip::tcp::socket socket);
    void Serve(std::unique_ptr<Secs1Stream> stream, const std::string& note);
    void ReadNext();
    void Flush();
    void Lost(const std::string& why);
    void Report(int code, const std::string& text);
    void PostReport(int code, const std::string& text);
    void Note(const std::string& text);

    // Secs1Link
    void Write(std::span<const std::uint8_t> bytes) override;
    void StartTimer(Secs1Timer timer, std::chrono::milliseconds after) override;
    void StopTimer(Secs1Timer timer) override;
    void MessageArrived(const MessageHeader& header, std::span<const std::uint8_t> body) override;
    void MessageSent(const MessageHeader& header) override;
    void SendFailed(const MessageHeader& header, int code, const std::string& text) override;
    void ReceiveFailed(int code, const std::string& text) override;
    void Trace(LogDirection direction, const std::string& what) override;

    Deadline& TimerOf(Secs1Timer timer) { return timer == Secs1Timer::Line ? line_ : inter_block_; }

    asio::any_io_executor executor_;
    Secs1TransportSettings settings_;
    TransportEvents* events_;
    std::shared_ptr<HsmsListener> listener_;
    std::shared_ptr<HsmsConnector> connector_;
    Deadline t5_;
    Deadline line_;
    Deadline inter_block_;
    std::unique_ptr<Secs1Stream> stream_;
    std::unique_ptr<Secs1Protocol> protocol_;
    std::uint64_t generation_ = 0;  // which stream a handler belongs to
    std::array<std::uint8_t, 1024> read_buffer_{};
    std::vector<std::uint8_t> pending_;  // waiting for the write in flight
    std::vector<std::uint8_t> writing_;
    std::string last_connect_failure_;
    bool closed_ = false;
};

}  // namespace kest
