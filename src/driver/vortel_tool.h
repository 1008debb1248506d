#pragma once

#include <asio/any_io_executor.hpp>
#include <asio/steady_timer.hpp>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "driver/open_transactions.h"
#include "driver/secs_driver.h"
#include "driver/secs_log.h"
#include "driver/transport.h"
#include "secs/dictionary.h"

namespace kest {

/// The message a driver error is about; its name follows from stream and function.
struct MessageRef {
    int stream = -1;  ///< -1: the error concerns no message
    int function = -1;
    std::uint32_t system_bytes = 0;  ///< 0 for a message refused before it got any
};

/// The SECS driver: HSMS-SS over TCP (active or passive) or SECS-I (port type RS232 over the
/// serial port, TCPIP over a TCP byte stream, active or passive), transactions matched by system
/// bytes and bounded by T3, the message dictionary that pre-shapes primaries and reply shells, and
/// the SECS-II log. Single-threaded: call it on the executor given at creation; every event is
/// raised there too, and events caused by a call (a refused `Send`, a failed `OpenPort`) are
/// posted, never raised inside the call. Destroying it closes the port and the listener.
class VortelTool final : public SecsDriver,
                         public TransactionSender,
                         private TransportEvents,
                         public std::enable_shared_from_this<VortelTool> {
    struct Passkey {
        explicit Passkey() = default;
    };

  public:
    /// A driver on `executor`; `clock` stamps the SECS-II log. Does no I/O.
    static std::shared_ptr<VortelTool> Create(
        asio::any_io_executor executor, std::shared_ptr<Clock> clock = SystemClock::Instance());
    VortelTool(Passkey, asio::any_io_executor executor, std::shared_ptr<Clock> clock);
    ~VortelTool() override;
    VortelTool(const VortelTool&) = delete;
    VortelTool& operator=(const VortelTool&) = delete;

    void SetEvents(std::weak_ptr<SecsDriverEvents> events) override;
    std::shared_ptr<SecsTransaction> CreateTransaction(std::string_view name) override;
    std::shared_ptr<SecsTransaction> CreateTransaction() override;
    void OpenPort() override;
    void ClosePort() override;
    void LoadDictionary() override;

    /// Sends Linktest.req; `done(true)` when Linktest.rsp comes within T6 (none ends the
    /// connection with 3005). False when no connection is open or a control request is pending.
    bool Linktest(std::function<void(bool)> done = {});
    /// True between `OpenPort` and `ClosePort`.
    bool IsPortOpen() const noexcept { return transport_ != nullptr; }
    /// True while the session is SELECTED.
    bool IsSelected() const noexcept;
    /// The TCP port a passive port (HSMS or SECS-I over TCP) listens on (useful with
    /// `LocalIPPort` 0), else 0.
    std::uint16_t ListeningPort() const;
    /// The dictionary in use: the one loaded or given last, else the built-in one.
    const MessageDictionary& Dictionary() const;
    /// Uses `dictionary` from now on (a dictionary built in memory rather than read from a file).
    void UseDictionary(MessageDictionary dictionary);
    /// Sent primaries still waiting for their reply.
    std::size_t PendingReplies() const noexcept { return open_.Size(); }

    // TransactionSender: what `SecsTransaction::Send` and `Reply` reach.
    bool SendPrimary(const std::shared_ptr<SecsTransaction>& transaction) override;
    bool SendReply(SecsTransaction& transaction) override;

  private:
    // TransportEvents
    void LinkUp() override;
    void LinkDown(int code, const std::string& text, std::vector<MessageHeader> unsent) override;
    void LinkError(int code, const std::string& text) override;
    void MessageReceived(const MessageHeader& header, std::span<const std::uint8_t> body) override;
    void MessageRejected(std::uint32_t system_bytes, const std::string& reason) override;
    void LinkTrace(LogDirection direction, const std::string& what) override;
    void LinkNote(const std::string& text) override;
    void MessageSent(const MessageHeader& header) override;
    void MessageFailed(const MessageHeader& header, const std::string& reason) override;
    void LineTrace(LogDirection direction, const std::string& what) override;

    static MessageRef Ref(const SecsMessage& message, std::uint32_t system_bytes) {
        return {message.Stream(), message.Function(), system_bytes};
    }
    static MessageRef Ref(const MessageHeader& header) {
        return {header.stream, header.function, header.system_bytes};
    }

    std::string PortProblem() const;
    std::shared_ptr<Transport> MakeTransport();
    bool Encode(const SecsMessage& message, std::vector<std::uint8_t>& body, std::string_view verb,
                const MessageRef& about);
    bool TransportReady(std::string_view verb, const MessageRef& about);
    void Transmit(const MessageHeader& header, const SecsMessage& message,
                  std::vector<std::uint8_t> body, std::string_view remark = {});
    /// Registers a primary awaiting its reply; T3 starts now, or once the message is out when
    /// the transport says so (`started` false and `ReportsSent`).
    void OpenTransaction(const std::shared_ptr<SecsTransaction>& transaction,
                         std::uint32_t system_bytes, int retries, bool started = false);
    bool Resend(std::uint32_t system_bytes, OpenTransactions::Entry entry);
    void AbandonOpen(const std::string& why);
    void ArmT3(OpenTransactions::TimePoint deadline);
    void OnT3();
    void ReceivePrimary(const MessageHeader& header, std::span<const std::uint8_t> body);
    void ReceiveSecondary(const MessageHeader& header, std::span<const std::uint8_t> body);
    bool Decode(std::span<const std::uint8_t> body, SecsMessage& message, std::string& error);
    SecsMessage ReplyShell(int stream, int function) const;

    void RaiseError(int code, const std::string& text, const MessageRef& about = {},
                    int line = __builtin_LINE());
    void PostError(int code, const std::string& text, const MessageRef& about = {},
                   int line = __builtin_LINE());

    asio::any_io_executor executor_;
    SecsLog log_;
    SecsLog secs1_log_;
    std::weak_ptr<SecsDriverEvents> events_;
    std::shared_ptr<const MessageDictionary> dictionary_;  // null: the built-in one
    std::shared_ptr<Transport> transport_;
    bool connected_ = false;  // Connect raised, Disconnect not yet
    OpenTransactions open_;
    SentHistory sent_;
    asio::steady_timer t3_timer_;
    OpenTransactions::TimePoint t3_expiry_{};
    bool t3_armed_ = false;
    std::uint64_t t3_generation_ = 0;
};

}  // namespace kest
