#pragma once

#include <memory>
#include <string>

#include "services/ed_action.h"

namespace kest {

class GEMTerminal;

/// The S10F1/S10F2 exchange of `GEMTerminal.TerminalRequest`.
class EDTerminalRequest final : public EDAction {
  public:
    explicit EDTerminalRequest(std::int32_t tid) : EDAction(tid, "EDTerminalRequest", "S10F2") {}

    /// Sends S10F1; when it was handed over without W-bit, reports "ACKC10" 0 at once;
    /// a refused or failed send reports error 6002 and "ACKC10" 6002.
    void SetSource(std::shared_ptr<GEMTerminal> source);

    std::string SourceName() const override { return "GEMTerminal"; }
    std::string TimeoutMethodName() const override { return "TerminalRequest"; }

  private:
    void OnReply(SecsTransaction& trans) override;
    void OnFailure(std::int32_t code) override;
    void ReportAck(const Variant& ackc10) const;

    std::shared_ptr<GEMTerminal> source_;
};

/// Builds S10F1 from `terminal` (L,2 {B TID, A TEXT}), W-bit from "WBITS10", tag `tid`, and
/// sends it through `SendSECSTrans`. Returns whether it was handed over.
bool SECSTrans_S10F1(GemContext& control, const GEMTerminal& terminal, std::int32_t tid);

}  // namespace kest
