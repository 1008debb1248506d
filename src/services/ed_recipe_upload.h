#pragma once

#include <memory>
#include <string>

#include "services/ed_action.h"

namespace kest {

class GEMProcessProgram;

/// The upload of a process program: S7F1/S7F2 asks the host whether it takes the program;
/// on grant S7F3/S7F4 sends it under the same transaction number.
class EDRecipeUpload final : public EDAction {
  public:
    explicit EDRecipeUpload(std::int32_t tid) : EDAction(tid, "EDRecipeUpload", "S7F2") {}

    /// Takes the program, its length and directory from `source` and sends S7F1; a failed
    /// send is reported as error 6002 only, the transaction then waits for its time-out.
    void SetSource(const std::shared_ptr<GEMProcessProgram>& source);

    std::string SourceName() const override { return "GEMProcessProgram"; }
    std::string TimeoutMethodName() const override { return "RecipeUploadToHost"; }

  private:
    void OnReply(SecsTransaction& trans) override;
    void OnFailure(std::int32_t code) override;
    void OnGrant(const Variant& ppgnt);
    void ReportOutcome(const Variant& ppgnt, const Variant& ackc7) const;

    std::string ppid_;
    std::int32_t length_ = 0;
    std::string directory_;
};

}  // namespace kest
