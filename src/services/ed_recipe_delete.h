#pragma once

#include <memory>
#include <string>
#include <vector>

#include "services/ed_action.h"

namespace kest {

class GEMProcessProgram;

/// The S7F17/S7F18 exchange that asks the host to delete process programs.
class EDRecipeDelete final : public EDAction {
  public:
    explicit EDRecipeDelete(std::int32_t tid) : EDAction(tid, "EDRecipeDelete", "S7F18") {}

    /// Takes the method and identifiers from `source` ("AllRecipeDelete" names none) and sends
    /// S7F17; a failed send is reported as error 6002 only, the transaction then waits for its
    /// time-out.
    void SetSource(const std::shared_ptr<GEMProcessProgram>& source);

    std::string SourceName() const override { return "GEMProcessProgram"; }
    std::string TimeoutMethodName() const override { return method_; }

  private:
    void OnReply(SecsTransaction& trans) override;
    void OnFailure(std::int32_t code) override;
    void ReportAck(const Variant& ackc7) const;

    std::string method_ = "AllRecipeDelete";
    std::vector<std::string> ppids_;
};

}  // namespace kest
