#pragma once

#include <memory>

namespace kest {

class GemContext;

/// Are-you-there: sends S1F1 to the host and reports "Online" when S1F2 comes back.
class GEMHeartBeat : public std::enable_shared_from_this<GEMHeartBeat> {
  public:
    /// Attaches the control (the control's factory member does it).
    void SetParent(std::weak_ptr<GemContext> parent) { parent_ = std::move(parent); }

    /// Sends S1F1. False when the control is not attached, or with error 4019 when the port is
    /// not open. The outcome comes as `MethodNotification` "AreYouThere" with "Online".
    bool AreYouThere();

  private:
    std::weak_ptr<GemContext> parent_;
};

}  // namespace kest
