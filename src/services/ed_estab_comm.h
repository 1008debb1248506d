#pragma once

#include <memory>
#include <string>

#include "secs/message.h"
#include "services/ed_action.h"

namespace kest {

class GEMEstabComm;

/// The S1F13/S1F14 exchange of `GEMEstabComm.Connect`.
class EDEstabComm final : public EDAction {
  public:
    explicit EDEstabComm(std::int32_t tid) : EDAction(tid, "EDEstablishComm", "S1F14") {}

    /// Stores the service object and sends S1F13 with its `MDLN` and `SOFTREV` directly through
    /// the driver; a failure reports error 6002 only.
    void SetSource(std::shared_ptr<GEMEstabComm> source);
    /// The service object that started the exchange, or null before `SetSource`.
    const std::shared_ptr<GEMEstabComm>& Source() const noexcept { return source_; }

    std::string SourceName() const override { return "GEMEstabComm"; }
    std::string TimeoutMethodName() const override { return "Connect"; }

  private:
    void OnReply(SecsTransaction& trans) override;
    void OnFailure(std::int32_t code) override;
    void ReportEstablished(bool established) const;

    std::shared_ptr<GEMEstabComm> source_;
    // The values as sent, so the outcome names the request even if the properties change.
    std::string mdln_ = "NULL";
    std::string softrev_ = "NULL";
};

/// True when an S1F14 body grants communication: its top list has a first item whose value is
/// 0 (COMMACK accepted). An empty list, a missing body or any other value is a refusal.
bool CommAccepted(const SecsMessage& reply);

}  // namespace kest
