#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/ied_action.h"

namespace kest {

class GemContext;

/// The handler of every primary message from the host (and of the replies it owns): it checks,
/// admits, routes and answers them. It lives in the control's action list under "EDPrimaryIn"
/// and is never timed out.
class EDPrimaryIn : public IEDAction {
  public:
    void SetParent(std::weak_ptr<GemContext> parent) { parent_ = std::move(parent); }

    std::int32_t Timeout() const override { return timeout_; }
    void SetTimeout(std::int32_t seconds) override { timeout_ = seconds; }
    std::int32_t TID() const override { return tid_; }
    void SetTID(std::int32_t tid) override { tid_ = tid; }
    std::string SourceName() const override { return "EDPrimaryIn"; }
    std::string TimeoutMethodName() const override { return {}; }
    bool TimesOut() const override { return false; }

    void Connect() override {}
    void Disconnect(std::int32_t, const std::string&) override {}
    void SecsError(std::int32_t, const std::string&) override {}
    /// Checks a host primary in order (communication state: error 6001; device ID: S9F1;
    /// off-line control state: the abort reply; admission: S9F3 or S9F5) and calls its handler.
    /// A failure is reported as "EDPrimaryIn:IEDAction_ReceivedPrimary" and nothing is sent.
    void ReceivedPrimary(const std::shared_ptr<SecsTransaction>& trans, std::int32_t error_code,
                         const std::string& error_text) override;
    /// Hands a host reply that this handler owns (named by the primary's stream and the reply's
    /// function) to its handler; any other reply is ignored.
    void ReceivedSecondary(const std::shared_ptr<SecsTransaction>& trans, std::int32_t error_code,
                           const std::string& error_text) override;

  protected:
    std::shared_ptr<GemContext> Parent() const { return parent_.lock(); }

  private:
    std::weak_ptr<GemContext> parent_;
    std::int32_t timeout_ = 0;
    std::int32_t tid_ = 0;
};

}  // namespace kest
