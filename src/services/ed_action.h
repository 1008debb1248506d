#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/ied_action.h"
#include "notify/notifications.h"

namespace kest {

class GemContext;

/// The common life cycle of the equipment-initiated transaction classes: the transaction
/// number and time-out, `Parent` (which copies the control's `GEMTimeout`), the reply check
/// (tag equal to the TID, reply named as expected) and the failure notifications on a
/// disconnect and on driver errors 3005 and 3014. A class adds its primary, reply reading and
/// failure values.
class EDAction : public IEDAction {
  public:
    /// `object_name` names the object in error sources ("EDHeartBeat"); `reply_name` is the
    /// reply it takes ("S1F2").
    EDAction(std::int32_t tid, std::string object_name, std::string reply_name);

    /// Stores the control and copies its `GEMTimeout` into `Timeout`.
    void SetParent(std::weak_ptr<GemContext> parent);

    std::int32_t Timeout() const override { return timeout_; }
    void SetTimeout(std::int32_t seconds) override { timeout_ = seconds; }
    std::int32_t TID() const override { return tid_; }
    void SetTID(std::int32_t tid) override { tid_ = tid; }

    void Connect() override {}
    void ReceivedPrimary(const std::shared_ptr<SecsTransaction>&, std::int32_t,
                         const std::string&) override {}
    void Disconnect(std::int32_t error_code, const std::string& error_text) override;
    void SecsError(std::int32_t error_code, const std::string& error_text) override;
    void ReceivedSecondary(const std::shared_ptr<SecsTransaction>& trans, std::int32_t error_code,
                           const std::string& error_text) override;

  protected:
    /// Reads the expected reply and reports the outcome.
    virtual void OnReply(SecsTransaction& trans) = 0;
    /// Reports the failure values of a disconnect (`code` 3002) or of driver error 3005/3014.
    virtual void OnFailure(std::int32_t code) = 0;

    /// The control, or null when it went away.
    std::shared_ptr<GemContext> Control() const { return parent_.lock(); }
    /// A method notification carrying this transaction's TID.
    KestMethod NewMethod(const std::string& service_name, const std::string& method_name) const;
    /// Hands `method` to the control's `ReplyMethod`.
    void Report(const KestMethod& method) const;
    /// Reports error 6002 "SECS [<primary>] message send failed.".
    void ReportSendFailed(const std::string& primary) const;
    /// Takes `reply_name` as the reply from now on (an exchange of two messages).
    void ExpectReply(std::string reply_name) { reply_name_ = std::move(reply_name); }
    /// Runs `body` under the error trap with the source object name + ":" + `member`.
    void Trapped(const char* member, const std::function<void()>& body) const;

  private:
    std::weak_ptr<GemContext> parent_;
    std::int32_t tid_;
    std::int32_t timeout_ = 0;
    std::string object_name_;
    std::string reply_name_;
};

}  // namespace kest
