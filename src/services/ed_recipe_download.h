#pragma once

#include <memory>
#include <string>

#include "services/ed_action.h"

namespace kest {

class GEMProcessProgram;
class SecsMessage;

/// The download of a process program: S7F5 asks the host for it, S7F6 brings it, and the
/// program is written below the receive directory.
class EDRecipeDownload final : public EDAction {
  public:
    explicit EDRecipeDownload(std::int32_t tid) : EDAction(tid, "EDRecipeDownload", "S7F6") {}

    /// Takes the program and directory from `source` and sends S7F5; a failed send is
    /// reported as error 6002 only, the transaction then waits for its time-out.
    void SetSource(const std::shared_ptr<GEMProcessProgram>& source);

    std::string SourceName() const override { return "GEMProcessProgram"; }
    std::string TimeoutMethodName() const override { return "RecipeDownloadFromHost"; }

  private:
    void OnReply(SecsTransaction& trans) override;
    void OnFailure(std::int32_t code) override;
    /// Writes the program when `reply` carries it under the requested name.
    bool Store(const SecsMessage& reply) const;
    void ReportReceived(bool received) const;

    std::string ppid_;
    std::string directory_;
};

}  // namespace kest
