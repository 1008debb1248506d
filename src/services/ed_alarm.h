#pragma once

#include <memory>

#include "services/ed_action.h"

namespace kest {

class GEMAlarm;

/// The S5F1/S5F2 exchange of an alarm report.
class EDAlarm final : public EDAction {
  public:
    explicit EDAlarm(std::int32_t tid) : EDAction(tid, "EDAlarm", "S5F2") {}

    /// Sends S5F1; when it was handed over, records the alarm state in the database (and
    /// reports "ACKC5" 0 at once when no reply is expected); otherwise error 6002 and "ACKC5"
    /// 6002, the database unchanged.
    void SetSource(std::shared_ptr<GEMAlarm> source);

    std::string SourceName() const override { return "GEMAlarm"; }
    std::string TimeoutMethodName() const override;

  private:
    void OnReply(SecsTransaction& trans) override;
    void OnFailure(std::int32_t code) override;
    void ReportAck(const Variant& ackc5) const;

    std::shared_ptr<GEMAlarm> source_;
};

/// Builds S5F1 from `alarm` (L,3 {B ALCD 128 or 0, U4 ALID, A ALTX}), W-bit from "WBITS5",
/// tag `tid`, and sends it through `SendSECSTrans`. Returns whether it was handed over.
bool SECSTrans_S5F1(GemContext& control, const GEMAlarm& alarm, std::int32_t tid);

}  // namespace kest
