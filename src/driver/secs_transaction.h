#pragma once

#include <cstdint>
#include <memory>

#include "base/variant.h"
#include "secs/message.h"

namespace kest {

class SecsTransaction;

/// What sends for a transaction: implemented by the driver. A transaction holds it weakly, so a
/// transaction that outlives its driver fails cleanly instead of reaching a dead object.
class TransactionSender {
  public:
    virtual ~TransactionSender() = default;
    /// Hands the primary to the transport. False when it could not (the sender reports why).
    virtual bool SendPrimary(const std::shared_ptr<SecsTransaction>& transaction) = 0;
    /// Hands the secondary of a received primary to the transport. False when it could not.
    virtual bool SendReply(SecsTransaction& transaction) = 0;
};

/// One SECS-II exchange: a primary and its secondary. For a primary the driver received, the
/// secondary is the reply shell the dictionary pre-shaped; for one the application sends, it is
/// the remote entity's reply once it arrived. Shared between the application and the driver.
class SecsTransaction : public std::enable_shared_from_this<SecsTransaction> {
  public:
    /// A transaction that `sender` sends; `device_id` is the session it belongs to.
    SecsTransaction(std::weak_ptr<TransactionSender> sender, int device_id, SecsMessage primary,
                    SecsMessage secondary = {});

    /// The device ID (HSMS session ID) the exchange runs under.
    int DeviceID() const noexcept { return device_id_; }
    /// The primary message.
    SecsMessage& Primary() noexcept { return primary_; }
    const SecsMessage& Primary() const noexcept { return primary_; }
    /// The reply shell of a received primary, or the reply received for a sent one.
    SecsMessage& Secondary() noexcept { return secondary_; }
    const SecsMessage& Secondary() const noexcept { return secondary_; }
    /// The primary's W-bit.
    bool ReplyExpected() const noexcept { return primary_.ReplyExpected(); }
    void SetReplyExpected(bool reply_expected) noexcept {
        primary_.SetReplyExpected(reply_expected);
    }
    /// The application's mark (the control keeps its 32-bit transaction number here).
    const Variant& Tag() const noexcept { return tag_; }
    void SetTag(Variant tag) { tag_ = std::move(tag); }

    /// Sends the primary. True when it was handed to the transport; false when the driver is
    /// gone, the port is closed or not selected, or the body cannot be encoded (the driver then
    /// also raises error 2015 naming the message). With the W-bit set, the reply arrives on this
    /// same object through `ReceivedSecondary`.
    bool Send();
    /// Sends the secondary as the reply to a received primary: its system bytes and device ID, no
    /// W-bit. When the primary expects no reply nothing is sent and the result is true. False when
    /// it could not be sent (error 2015 is raised as for `Send`).
    bool Reply();

    // Driver side.

    /// The system bytes of the last send or of the received primary.
    std::uint32_t SystemBytes() const noexcept { return system_bytes_; }
    void SetSystemBytes(std::uint32_t system_bytes) noexcept { system_bytes_ = system_bytes; }
    void SetDeviceID(int device_id) noexcept { device_id_ = device_id; }
    /// True for a primary that arrived from the remote entity.
    bool IsReceived() const noexcept { return received_; }
    void MarkReceived() noexcept { received_ = true; }
    /// True once the reply to a received primary was handed to the transport.
    bool IsReplied() const noexcept { return replied_; }
    void MarkReplied() noexcept { replied_ = true; }

  private:
    std::weak_ptr<TransactionSender> sender_;
    int device_id_;
    SecsMessage primary_;
    SecsMessage secondary_;
    Variant tag_;
    std::uint32_t system_bytes_ = 0;
    bool received_ = false;
    bool replied_ = false;
};

}  // namespace kest
