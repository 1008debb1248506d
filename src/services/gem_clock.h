#pragma once

#include <memory>

namespace kest {

class GemContext;

/// Date and time request: sends S2F17 and reports the host's time text from S2F18.
class GEMClock : public std::enable_shared_from_this<GEMClock> {
  public:
    /// Attaches the control (the control's factory member does it).
    void SetParent(std::weak_ptr<GemContext> parent) { parent_ = std::move(parent); }

    /// Sends S2F17 through the control's send routine. False only when the control is not
    /// attached (there is no port check here). The outcome comes as `MethodNotification`
    /// "GetDateTime" with "DateTime": the host's TIME, or "NULL" when the send was refused
    /// (then after error 6002), the link was lost or the driver gave up (3005, 3014).
    bool GetDateTime();

  private:
    std::weak_ptr<GemContext> parent_;
};

}  // namespace kest
