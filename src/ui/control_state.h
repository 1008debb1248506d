#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "ui/frm_main_fields.h"

namespace kest {

class KestServer;

/// The control state machine of the operator window: "ControlState" (1 equipment offline,
/// 2 attempt online, 3 host offline, 4 online local, 5 online remote), "PreviousControlState",
/// the field, and the collection events "GemControlStateOFFLINE", "GemControlStateLOCAL" and
/// "GemControlStateREMOTE". Each member is one trigger; a trigger that does not apply to the
/// current state changes nothing. Callers run it under the error trap. A state the database
/// refuses to store leaves everything else as it was.
class ControlState {
  public:
    ControlState(std::weak_ptr<KestServer> control, frmMainFields& fields);

    /// Start-up from "InitControlState", "OfflineSubstate" and "OnlineSubstate"; no event.
    void Start();

    /// The operator selects offline: from online to "OfflineSubstate"'s choice.
    void SelectOffline();
    /// The operator selects online: from an offline state to attempt online, then S1F1 when
    /// communicating; otherwise (or when the S1F1 cannot be sent) to "OnlineFailed"'s choice.
    void SelectOnline();
    /// The operator selects local: from online remote to online local.
    void SelectLocal();
    /// The operator selects remote: from online local to online remote.
    void SelectRemote();

    /// The are-you-there was answered: from attempt online to "OnlineSubstate"'s choice.
    void HeartBeatAnswered();
    /// The are-you-there failed or timed out: from attempt online to "OnlineFailed"'s choice.
    void HeartBeatFailed();
    /// The host's S1F17 was accepted: from host offline to "OnlineSubstate"'s choice.
    void HostRequestOnline();
    /// The host's S1F15: from any state but host offline to host offline.
    void HostRequestOffline();

  private:
    KestServer& Control() const;
    std::int32_t Variable(const char* name) const;
    std::int32_t Current() const { return Variable("ControlState"); }
    std::int32_t OnlineChoice() const;
    std::int32_t FailedChoice() const;
    bool Move(std::int32_t to, std::optional<std::int32_t> previous);
    void MoveOnline(std::int32_t previous);
    void MoveOffline(std::int32_t to, std::int32_t previous);

    std::weak_ptr<KestServer> control_;
    frmMainFields& fields_;
};

}  // namespace kest
