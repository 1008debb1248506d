#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/establish_timer.h"
#include "core/gem_types.h"
#include "notify/listener.h"
#include "notify/notifications.h"

namespace kest {

class GemContext;

/// A state number as stored: a whole decimal number, or nothing for any other text.
std::optional<std::int32_t> StateNumber(std::string_view text);

/// What moved, for observers of the state model: the three machines, and the equipment's own
/// state (process state, process programs, model and revision).
enum class StateAspect { Communication, Control, Spool, Equipment };

/// The GEM state model: the communication, control and spool states as enums, read from and
/// written through to their `secs_gemvar` rows (the durable record that handlers, the window
/// and other programs read). Every write goes through one transition function per machine,
/// which raises the "StateChanged" notification (through the database) and the collection
/// events; the numbers exist nowhere else.
///
/// The communication and control machines run while attached (from the operator window's
/// start-up to its unload): their inputs are the operator's switches, the establish timer and
/// the control's notifications, which the model follows in the place of the window.
class GemStateModel {
  public:
    explicit GemStateModel(GemContext& context);
    ~GemStateModel();
    GemStateModel(const GemStateModel&) = delete;
    GemStateModel& operator=(const GemStateModel&) = delete;

    // --- Reads (a value that is not a state number reads as -1) -------------------------------

    GEM_COMMSTATE Comm() const;
    GEM_CONTROLSTATE Control() const;
    /// Online local or online remote.
    bool Online() const;
    GEM_SPOOLSTATE Spool() const;
    GEM_SPOOLSTATE SpoolLoad() const;
    GEM_SPOOLSTATE SpoolUnload() const;
    /// Whether the communication display shows "Communicating": the machine decides some
    /// transitions from it, and it follows every write of "CommState".
    bool ShowsCommunicating() const noexcept { return shows_communicating_; }

    // --- Life cycle -----------------------------------------------------------------------------

    /// Start-up: follows the control's notifications from now on and sets the initial
    /// communication and control states (no event).
    void Attach();
    /// Stops following the notifications and the establish timer.
    void Detach();
    /// Stops the establish timer (the window is unloading) without detaching.
    void StopEstablishing();
    bool Attached() const noexcept { return subscription_.Active(); }

    // --- Communication ------------------------------------------------------------------------

    /// The operator enables communication: from "Not Communicating" an attempt starts (S1F13
    /// at once unless already enabled); otherwise "CommState" becomes 2 and the timer stops.
    void EnableCommunication();
    /// The operator disables communication (and the port was lost): "CommState" 0.
    void DisableCommunication();
    /// Driver errors 2012, 3005, 3013 and 3014: "CommState" 1, attached or not.
    void CommunicationFailed();
    /// The establish timer's 500 ms tick.
    void EstablishTick();
    const EstablishTimer* Timer() const noexcept { return timer_.get(); }

    // --- Control ------------------------------------------------------------------------------

    void SelectOffline();
    void SelectOnline();
    void SelectLocal();
    void SelectRemote();
    /// An S5F1 did not reach the host: host offline and "GemControlStateOFFLINE", attached or
    /// not; the previous state is left as it was.
    void AlarmLost();

    // --- Spool --------------------------------------------------------------------------------

    /// Writes the spool state or one of its substates; false when the database refused.
    bool SetSpool(GEM_SPOOLSTATE state);
    bool SetSpoolLoad(GEM_SPOOLSTATE substate);
    bool SetSpoolUnload(GEM_SPOOLSTATE substate);
    /// The spool list changed length (observers refresh what they show of it).
    void SpoolChanged();
    /// Tells the observers that `aspect` changed.
    void Changed(StateAspect aspect);

    // --- Observers ----------------------------------------------------------------------------

    using Observer = std::function<void(StateAspect)>;
    /// Calls `observer` after each change while the returned handle lives.
    [[nodiscard]] std::shared_ptr<void> Watch(Observer observer);

  private:
    void Follow(const KestEvent& event);
    void Follow(const KestMethod& method);
    void Trapped(const char* procedure, const std::function<void()>& body);

    // Communication
    bool WriteComm(GEM_COMMSTATE state);
    void ShowComm(bool communicating);
    void StartComm();
    void PortConnected();
    void Attempt();
    void SendS1F13();
    void EstablishExpired();
    void Established();
    void EstablishFailed();
    void EstablishTimedOut();
    std::int32_t RetrySeconds() const;

    // Control
    std::int32_t Number(const char* name) const;
    GEM_CONTROLSTATE OnlineChoice() const;
    GEM_CONTROLSTATE FailedChoice() const;
    bool MoveControl(GEM_CONTROLSTATE to, std::optional<GEM_CONTROLSTATE> previous);
    void MoveOnline(GEM_CONTROLSTATE previous);
    void MoveOffline(GEM_CONTROLSTATE to, GEM_CONTROLSTATE previous);
    void StartControl();
    void HeartBeatAnswered();
    void HeartBeatFailed();
    void HostRequestOnline();
    void HostRequestOffline();

    GemContext& context_;
    bool shows_communicating_ = false;
    std::unique_ptr<EstablishTimer> timer_;
    Subscription subscription_;
    std::vector<std::weak_ptr<Observer>> observers_;
};

}  // namespace kest
