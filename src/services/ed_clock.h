#pragma once

#include <memory>
#include <string>

#include "secs/message.h"
#include "services/ed_action.h"

namespace kest {

class GEMClock;

/// The S2F17/S2F18 exchange of `GEMClock.GetDateTime`.
class EDClock final : public EDAction {
  public:
    explicit EDClock(std::int32_t tid) : EDAction(tid, "EDClock", "S2F18") {}

    /// Stores the service object and sends S2F17 through the control's send routine; a refused
    /// or failed send reports error 6002 and then "DateTime" "NULL".
    void SetSource(std::shared_ptr<GEMClock> source);
    /// The service object that started the exchange, or null before `SetSource`.
    const std::shared_ptr<GEMClock>& Source() const noexcept { return source_; }

    std::string SourceName() const override { return "GEMClock"; }
    std::string TimeoutMethodName() const override { return "GetDateTime"; }

  private:
    void OnReply(SecsTransaction& trans) override;
    void OnFailure(std::int32_t code) override;
    void ReportDateTime(const std::string& date_time) const;

    std::shared_ptr<GEMClock> source_;
};

/// The TIME text of an S2F18 body exactly as received (12 or 16 characters, or empty); "NULL"
/// when the body has no item or its item is a list.
std::string ReplyTime(const SecsMessage& reply);

}  // namespace kest
