#pragma once

#include "services/ed_action.h"

namespace kest {

/// The S1F1/S1F2 exchange of `GEMHeartBeat.AreYouThere`.
class EDHeartBeat final : public EDAction {
  public:
    explicit EDHeartBeat(std::int32_t tid) : EDAction(tid, "EDHeartBeat", "S1F2") {}

    /// Sends S1F1 directly through the driver; a failure reports error 6002 only.
    void SetSource();

    std::string SourceName() const override { return "GEMHeartBeat"; }
    std::string TimeoutMethodName() const override { return "AreYouThere"; }

  private:
    void OnReply(SecsTransaction& trans) override;
    void OnFailure(std::int32_t code) override;
    void ReportOnline(bool online) const;
};

}  // namespace kest
