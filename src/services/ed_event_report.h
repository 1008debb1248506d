#pragma once

#include <memory>

#include "services/ed_action.h"

namespace kest {

class GEMEventReport;

/// The S6F11/S6F12 exchange of a collection event report.
class EDEventReport final : public EDAction {
  public:
    explicit EDEventReport(std::int32_t tid) : EDAction(tid, "EDEventReport", "S6F12") {}

    /// Builds and sends S6F11 for `source`'s event; reports at once when no reply is expected
    /// ("ACKC6" 0) or when the message could not be handed over (error 6002, "ACKC6" 6002).
    void SetSource(std::shared_ptr<GEMEventReport> source);

    std::string SourceName() const override { return "GEMEventReport"; }
    std::string TimeoutMethodName() const override;

  private:
    void OnReply(SecsTransaction& trans) override;
    void OnFailure(std::int32_t code) override;
    void ReportAck(const Variant& ackc6) const;
    void AppendHandOverLog(GemContext& control) const;

    std::shared_ptr<GEMEventReport> source_;
};

}  // namespace kest
