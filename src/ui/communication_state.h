#pragma once

#include <cstdint>
#include <memory>

#include "ui/frm_main_fields.h"

namespace kest {

class KestServer;
class EstablishTimer;

/// The communication state machine of the operator window: "CommState" (0 disabled,
/// 1 enabled not communicating, 2 communicating), its field, and the establish-communication
/// timer that retries S1F13. Each member is one trigger; callers run it under the error trap.
/// A state the database refuses to store leaves the field as it was.
class CommunicationState {
  public:
    CommunicationState(std::weak_ptr<KestServer> control, frmMainFields& fields,
                       EstablishTimer& timer);

    /// Start-up: 1 when "InitCommState" is nonzero, else 0; no S1F13.
    void Start();

    /// The operator enables communication: from "Not Communicating" an attempt starts (S1F13
    /// at once unless already enabled); otherwise "CommState" becomes 2 and the timer stops.
    void Enable();
    /// The operator disables communication: "CommState" 0, the timer stops.
    void Disable();
    /// The port connected: while enabled, an attempt starts; while disabled nothing happens.
    void PortConnected();
    /// The port was lost: as `Disable`.
    void PortLost();

    /// The establish timer expired: S1F13 again while "CommState" is 1, else the timer stops.
    void TimerExpired();
    /// S1F13 was answered with COMMACK 0, or the host's S1F13 was accepted.
    void Established();
    /// S1F13 was answered with a refusal, or the link failed while waiting.
    void EstablishFailed();
    /// S1F13 got no answer in time.
    void EstablishTimedOut();
    /// An are-you-there failed or got no answer in time.
    void HeartBeatLost();

  private:
    KestServer& Control() const;
    std::int32_t Current() const;
    bool Write(std::int32_t state);
    void Attempt();
    void SendS1F13();
    std::int32_t RetrySeconds() const;

    std::weak_ptr<KestServer> control_;
    frmMainFields& fields_;
    EstablishTimer& timer_;
};

}  // namespace kest
