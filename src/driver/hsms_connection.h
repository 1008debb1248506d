#pragma once

#include <asio/ip/tcp.hpp>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "driver/deadline.h"
#include "driver/hsms_frame.h"
#include "driver/transport.h"

namespace kest {

/// Which side of HSMS-SS a connection plays: the active entity sends Select.req.
enum class HsmsRole { Active, Passive };

/// What one connection needs to know.
struct HsmsConnectionSettings {
    HsmsRole role = HsmsRole::Passive;
    std::chrono::milliseconds t6{5000};   ///< control transaction (Select, Linktest)
    std::chrono::milliseconds t7{10000};  ///< not selected
    std::chrono::milliseconds t8{5000};   ///< gap inside one message
    std::size_t max_body_size = 16 * 1024 * 1024;
    /// Bytes waiting to be written beyond which the remote entity counts as no longer reading.
    std::size_t max_send_queue = 32 * 1024 * 1024;
    std::chrono::milliseconds write_timeout{10000};  ///< a write making no progress
};

/// What a connection tells its owner. Called from the connection's handlers; the owner may stop
/// or drop the connection from inside any of them.
class HsmsConnectionEvents {
  public:
    virtual ~HsmsConnectionEvents() = default;
    /// The session became SELECTED.
    virtual void Selected() = 0;
    /// A data message arrived while SELECTED; `body` is valid during the call only.
    virtual void DataReceived(const hsms::Header& header, std::span<const std::uint8_t> body) = 0;
    /// Reject.req arrived for a data message we sent.
    virtual void DataRejected(std::uint32_t system_bytes, std::uint8_t reason) = 0;
    /// The remote entity broke the protocol and was answered with Reject.req; the connection
    /// stays up.
    virtual void ProtocolProblem(const std::string& text) = 0;
    /// A control message was sent or received.
    virtual void ControlTraced(LogDirection direction, const hsms::Header& header) = 0;
    /// The connection ended. `unsent` holds the headers of data messages never written.
    virtual void Closed(bool was_selected, int code, const std::string& text,
                        std::vector<hsms::Header> unsent) = 0;
};

/// One HSMS-SS connection over a connected socket: the NOT SELECTED / SELECTED state machine,
/// the control messages, T6, T7 and T8, a read loop and a write queue with one write in flight.
/// A remote entity that stops reading costs bounded memory: the queue is capped in bytes and a
/// write that makes no progress for the write timeout ends the connection (3024).
class HsmsConnection : public std::enable_shared_from_this<HsmsConnection> {
  public:
    /// NOT SELECTED and SELECTED as in E37; Separating while Separate.req is written; Closed.
    enum class State { NotSelected, Selected, Separating, Closed };

    /// Takes over a connected socket. No I/O happens before `Start`. Control requests take
    /// system bytes from the upper half (0x80000001 up), data messages own the lower half.
    HsmsConnection(asio::ip::tcp::socket socket, HsmsConnectionSettings settings);

    /// Starts reading and T7; the active side sends Select.req and starts T6.
    void Start(HsmsConnectionEvents* events);
    /// Queues a data message; only while SELECTED (returns false otherwise). A full queue ends
    /// the connection; `Closed` follows from a handler, never inside this call.
    bool Send(const hsms::Header& header, std::vector<std::uint8_t> body);
    /// Sends Linktest.req; `done(true)` on Linktest.rsp, `done(false)` when the connection ends
    /// first. No Linktest.rsp within T6 ends the connection (3005). False (and `done` is not
    /// called) when another control request is open or the connection is ending.
    bool Linktest(std::function<void(bool)> done);
    /// Ends a SELECTED session politely: Separate.req goes out after the queued messages, then
    /// the socket closes (within T6 at most). Any other state closes at once. No event follows.
    void Separate();
    /// Closes at once. No event follows.
    void Stop();

    /// Where the state machine stands.
    State GetState() const noexcept { return state_; }
    /// "127.0.0.1:5000" of the remote entity, as it was when the connection started.
    const std::string& Peer() const noexcept { return peer_; }

  private:
    struct Outgoing {
        std::array<std::uint8_t, hsms::kPrefixSize> prefix;
        std::vector<std::uint8_t> body;
        hsms::Header header;
    };
    enum class ControlRequest { None, Select, Linktest };

    bool IsLive() const noexcept;
    std::uint32_t NextControlSystemBytes() noexcept;
    void ReadMore();
    void OnRead(const std::error_code& ec, std::size_t count);
    void OnReadError(const std::error_code& ec);
    std::string ProgressText() const;
    void TraceReceived(const hsms::Header& header);
    void HandleFrame(const hsms::Frame& frame);
    void HandleControl(const hsms::Header& header);
    void HandleSelectReq(const hsms::Header& header);
    void HandleSelectRsp(const hsms::Header& header);
    void HandleLinktestRsp(const hsms::Header& header);
    void HandleRejectReq(const hsms::Header& header);
    void Reject(const hsms::Header& header, hsms::RejectReason reason, std::uint8_t byte2,
                const std::string& why);
    void BecomeSelected();
    void SendControl(const hsms::Header& header);
    void Enqueue(Outgoing message);
    void WriteNext();
    void OnWritten(const std::error_code& ec);
    void ArmWriteDeadline(std::chrono::milliseconds after);
    void OnWriteDeadline();
    std::string QueuedText() const;
    void UpdateT8();
    void StartControlRequest(ControlRequest kind, std::uint32_t system_bytes);
    void EndControlRequest(bool answered);
    void OnT6();
    void Fail(int code, const std::string& text);
    void FailLater(int code, const std::string& text, const hsms::Header& refused);
    std::vector<hsms::Header> Shut();
    void CloseSocket() noexcept;
    std::vector<hsms::Header> TakeUnsent();

    asio::ip::tcp::socket socket_;
    HsmsConnectionSettings settings_;
    HsmsConnectionEvents* events_ = nullptr;
    State state_ = State::NotSelected;
    std::string peer_;
    hsms::FrameReader reader_;
    std::deque<Outgoing> queue_;
    std::vector<Outgoing> batch_;  // the write in flight
    std::vector<asio::const_buffer> buffers_;
    std::size_t batch_bytes_ = 0;
    std::size_t pending_bytes_ = 0;  // queued and in flight, not yet written
    std::chrono::steady_clock::time_point last_progress_{};
    bool writing_ = false;
    ControlRequest request_ = ControlRequest::None;
    std::uint32_t request_system_bytes_ = 0;
    std::uint32_t control_counter_ = 0;
    std::function<void(bool)> linktest_done_;
    Deadline t6_;
    Deadline t7_;
    Deadline t8_;
    Deadline write_deadline_;
};

/// "5 s" for whole seconds, else "250 ms": timer values in texts.
std::string DurationText(std::chrono::milliseconds value);

}  // namespace kest
