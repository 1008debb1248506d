#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

/// The header fields of a data message that every transport carries (HSMS and SECS-I alike).
struct MessageHeader {
    std::uint16_t device_id = 0;
    int stream = 0;    ///< 0 to 127
    int function = 0;  ///< 0 to 255
    bool reply_expected = false;
    std::uint32_t system_bytes = 0;

    friend bool operator==(const MessageHeader&, const MessageHeader&) = default;
};

/// System bytes as the log shows them: "0x0000002A".
inline std::string SystemBytesText(std::uint32_t system_bytes) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", system_bytes);
    return text;
}

/// Which way a message went.
enum class LogDirection { Sent, Received };

/// What a transport tells the driver. Called on the driver's executor from the transport's own
/// handlers; never from inside a call the driver made (failures there are posted).
class TransportEvents {
  public:
    virtual ~TransportEvents() = default;
    /// The link is ready for data messages (HSMS: SELECTED).
    virtual void LinkUp() = 0;
    /// The link left the ready state; `unsent` lists the data messages handed over but never
    /// written.
    virtual void LinkDown(int code, const std::string& text, std::vector<MessageHeader> unsent) = 0;
    /// A fault that did not end a ready link: a failed connection attempt, a refused or closed
    /// not-yet-ready connection, a protocol violation answered with a reject.
    virtual void LinkError(int code, const std::string& text) = 0;
    /// A data message arrived; `body` is valid during the call only.
    virtual void MessageReceived(const MessageHeader& header,
                                 std::span<const std::uint8_t> body) = 0;
    /// The remote entity rejected the data message sent with `system_bytes`.
    virtual void MessageRejected(std::uint32_t system_bytes, const std::string& reason) = 0;
    /// The last byte of a data message went out (SECS-I: its last block was acknowledged), which
    /// is where its reply time-out starts.
    virtual void MessageSent(const MessageHeader& header) = 0;
    /// A data message handed over could not be delivered (SECS-I: its retries ran out); the link
    /// stays up.
    virtual void MessageFailed(const MessageHeader& header, const std::string& reason) = 0;
    /// A protocol message other than data went over the link ("Select.req ..."), for the log.
    virtual void LinkTrace(LogDirection direction, const std::string& what) = 0;
    /// Something the log should record: listening, connected, refused, ended.
    virtual void LinkNote(const std::string& text) = 0;
    /// Line control and blocks of SECS-I ("ENQ", "Block S1F1 W ..."), for the SECS-I log.
    virtual void LineTrace(LogDirection direction, const std::string& what) = 0;
};

/// A SECS transport: HSMS-SS over TCP, or SECS-I over a serial line or a TCP byte stream.
class Transport {
  public:
    virtual ~Transport() = default;
    /// Starts listening or connecting. Failures arrive through `LinkError`.
    virtual void Open() = 0;
    /// Ends everything at once: a ready link is separated (unless `abrupt`), listeners and
    /// timers stop. No event follows.
    virtual void Close(bool abrupt) = 0;
    /// True while data messages can be sent.
    virtual bool IsReady() const noexcept = 0;
    /// Queues one data message; only while `IsReady`. Write failures come back as `LinkDown`.
    virtual void Send(const MessageHeader& header, std::vector<std::uint8_t> body) = 0;
    /// Asks the link whether the remote entity answers; `done(true)` when it does. False when
    /// the transport has no such check or no connection is open.
    virtual bool Linktest(std::function<void(bool)> done) = 0;
    /// True when the transport reports `MessageSent`: the reply time-out waits for it.
    virtual bool ReportsSent() const noexcept { return false; }
    /// The TCP port a passive transport listens on, 0 when it does not listen.
    virtual std::uint16_t ListeningPort() const = 0;
};

}  // namespace kest
