#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "services/ed_action.h"

namespace kest {

class GEMMap;

/// One wafer-map primary the equipment sends (S12F1 ... S12F19). Only S12F1 is answered to
/// the application; the host's other replies are stored by the reply handlers, and their
/// transactions end by the time-out.
class EDMap final : public EDAction {
  public:
    explicit EDMap(std::int32_t tid) : EDAction(tid, "EDMap", "S12F2") {}

    /// Sends the primary of the source's `functionNo`: for "1" reports "SDACK" 0 at once; any
    /// other function reports nothing; an unknown function sends nothing. A failed hand-over
    /// is error 6002 and "SDACK" 6002.
    void SetSource(std::shared_ptr<GEMMap> source);

    std::string SourceName() const override { return "GEMMap"; }
    std::string TimeoutMethodName() const override;

  private:
    void OnReply(SecsTransaction& trans) override;
    void OnFailure(std::int32_t code) override;
    void ReportAck(const std::string& function, const Variant& sdack) const;

    std::shared_ptr<GEMMap> source_;
};

}  // namespace kest
