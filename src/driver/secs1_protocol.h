#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "driver/secs1_block.h"
#include "driver/transport.h"

namespace kest {

/// The two timers of the block protocol: the line timer runs T2 (waiting for EOT, ACK or the
/// length byte) or T1 (between the characters of a block), never both; T4 bounds the gap
/// between the blocks of a message being received.
enum class Secs1Timer { Line, InterBlock };

/// What the block protocol needs to know, copied when the port opens.
struct Secs1Settings {
    /// The host is the slave: it gives way when both sides send ENQ, and its blocks carry no
    /// R-bit. The equipment is the master.
    bool host_role = false;
    std::uint16_t device_id = 0;  ///< received blocks for another device are ignored
    std::chrono::milliseconds t1{500};
    std::chrono::milliseconds t2{10000};
    std::chrono::milliseconds t4{45000};
    int retry_limit = 3;  ///< RTY: how often a block is tried again
    std::size_t max_body_size = 16 * 1024 * 1024;
};

/// What the block protocol asks of its carrier and tells its owner. Called from inside the
/// protocol's calls; the owner must not destroy the protocol from inside them.
class Secs1Link {
  public:
    virtual ~Secs1Link() = default;
    /// Bytes to put on the line, in order.
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    /// (Re)starts `timer`; its expiry is handed back through `Secs1Protocol::Expired`.
    virtual void StartTimer(Secs1Timer timer, std::chrono::milliseconds after) = 0;
    virtual void StopTimer(Secs1Timer timer) = 0;
    /// A whole message arrived; `body` is valid during the call only.
    virtual void MessageArrived(const MessageHeader& header,
                                std::span<const std::uint8_t> body) = 0;
    /// The last block of a message was acknowledged.
    virtual void MessageSent(const MessageHeader& header) = 0;
    /// A message could not be sent (retry limit reached, too large).
    virtual void SendFailed(const MessageHeader& header, int code, const std::string& text) = 0;
    /// A message being received was lost (T4, a missing block, too large).
    virtual void ReceiveFailed(int code, const std::string& text) = 0;
    /// Line control and blocks, for the SECS-I log: "ENQ", "Block S1F1 W ...", "T2 expired".
    virtual void Trace(LogDirection direction, const std::string& what) = 0;
};

/// The SECS-I block transfer protocol, free of I/O: bytes in through `Received`, timer expiries
/// through `Expired`, everything else out through the link. Messages are sent one after the
/// other, each block in its own ENQ/EOT/block/ACK exchange with RTY retries; received blocks are
/// checked (checksum, device, duplicate, block number) and joined into messages, several at a
/// time when the remote entity interleaves them.
class Secs1Protocol {
  public:
    using SteadyNow = std::function<std::chrono::steady_clock::time_point()>;

    /// `now` reads the time T4 deadlines are kept in (injected for tests).
    Secs1Protocol(Secs1Settings settings, Secs1Link& link, SteadyNow now);

    /// Queues a message; it goes once the line is free.
    void Send(const MessageHeader& header, std::span<const std::uint8_t> body);
    /// Bytes read from the line.
    void Received(std::span<const std::uint8_t> bytes);
    /// A timer started through the link expired.
    void Expired(Secs1Timer timer);
    /// The headers of the messages not (completely) sent.
    std::vector<MessageHeader> Unsent() const;
    /// Nothing is being sent or received, nothing waits.
    bool Quiet() const noexcept { return state_ == State::Idle && outgoing_.empty(); }

  private:
    enum class State { Idle, EnqSent, BlockSent, EotSent, Receiving, Discarding };
    struct Outgoing {
        MessageHeader header;
        std::vector<secs1::Block> blocks;
        std::size_t next = 0;
    };
    struct Incoming {
        secs1::BlockHeader first;
        std::vector<std::uint8_t> body;
        std::uint16_t last_block = 0;
        std::chrono::steady_clock::time_point deadline;
    };

    void Byte(std::uint8_t byte);
    void IdleByte(std::uint8_t byte);
    void EnqSentByte(std::uint8_t byte);
    void BlockSentByte(std::uint8_t byte);
    void BlockByte(std::uint8_t byte);
    void StartSending();
    void SendControl(std::uint8_t control, const char* name);
    void ReceiveBlock();
    void Retry(const std::string& why);
    void BlockDone();
    void EndReceive(std::uint8_t answer, const char* name);
    void Accept(const secs1::Block& block);
    void Drop(std::map<std::uint32_t, Incoming>::iterator it, int code, const std::string& why);
    void ArmInterBlock();
    void Wait(std::chrono::milliseconds after) { link_.StartTimer(Secs1Timer::Line, after); }

    Secs1Settings settings_;
    Secs1Link& link_;
    SteadyNow now_;
    State state_ = State::Idle;
    std::deque<Outgoing> outgoing_;
    int retries_ = 0;
    secs1::BlockReader reader_;
    std::optional<secs1::BlockHeader> last_accepted_;
    std::map<std::uint32_t, Incoming> incoming_;  // by system bytes
};

}  // namespace kest
