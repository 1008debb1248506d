#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/variant.h"
#include "notify/listener.h"
#include "ui/frm_main_fields.h"

namespace kest {

class KestServer;
class EstablishTimer;
class CommunicationState;
class ControlState;

/// The operator window, headless: everything the window does, without a screen. It runs the
/// GEM communication and control state machines from the control's notifications, the
/// operator's switches and its establish-communication timer, and keeps the texts it shows in
/// `Fields()`. A view (the web console) shows those; message boxes go to the control's box sink.
///
/// Every handler runs under the control's error trap with the source "frmMain:<procedure>".
class frmMain : public std::enable_shared_from_this<frmMain> {
  public:
    frmMain();
    virtual ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    /// The control it belongs to.
    void SetParent(std::weak_ptr<KestServer> parent) { parent_ = std::move(parent); }
    std::shared_ptr<KestServer> GetParent() const { return parent_.lock(); }

    /// Start-up: listens to the control, sets the initial communication and control states
    /// (no event), refreshes every area, opens the port when "PortOpenAtStartUp" is "TRUE",
    /// shows the connection and raises ("KestTool", "Load").
    virtual void Load();
    /// Stops the establish timer, closes the port when "PortOpened" is "TRUE", raises
    /// ("KestTool", "Unload"), lets the control forget the window and stops listening.
    virtual void Unload();
    /// The operator closes the window: refused with the box "You only allow to exit in
    /// Administrator Mode!" unless `AdminMode`; otherwise unloads. Returns whether it unloaded.
    bool Close();

    bool AdminMode() const noexcept { return admin_mode_; }
    void SetAdminMode(bool admin_mode) noexcept { admin_mode_ = admin_mode; }
    /// Shows the window (modal or modeless); hiding keeps it loaded.
    void Show(bool modal);
    void Hide();
    bool Visible() const noexcept { return visible_; }
    bool Modal() const noexcept { return modal_; }

    // --- The operator's switches (changing nothing before `Load`) ---------------------------

    /// Communication enable: from "Not Communicating" starts establishing communication.
    void EnableCommunication();
    /// Communication disable: "CommState" 0.
    void DisableCommunication();
    /// Offline: from online local or remote to the configured offline state.
    void GoOffline();
    /// Online: from an offline state through attempt online (S1F1 while communicating).
    void GoOnline();
    /// Local: from online remote.
    void GoLocal();
    /// Remote: from online local.
    void GoRemote();

    /// The establish-communication timer's 500 ms tick (its asio timer calls it when the
    /// control runs its timers; tests call it directly).
    void EstablishTick();
    /// Whether the establish-communication timer runs.
    bool EstablishTimerRunning() const noexcept;
    /// The establish-communication countdown (below 0 on the next working tick: S1F13).
    std::int32_t EstablishCountdown() const noexcept;

    // --- Notification handlers (subscribed at load) ----------------------------------------

    /// Follows the control's events: port connect and loss, host requests, time-outs, state
    /// changes of the communication, control and spool variables, traces.
    void moGEMServer_EventNotification(const KestEvent& event);
    /// Follows the outcomes of S1F13 ("Connect") and S1F1 ("AreYouThere").
    void moGEMServer_MethodNotification(const KestMethod& method);

    // --- The areas `RefreshGEMTool` refreshes, in its order ---------------------------------

    virtual void RefreshAdminMode();
    virtual void RefreshAllSetting();
    /// Communication, control, process and equipment texts.
    virtual void RefreshAllStatus();
    /// The spool state, its substates and counts.
    virtual void RefreshSpoolStatus();
    virtual void LoadEnabledEvent();
    virtual void LoadEnabledAlarm();
    virtual void LoadSetAlarm();
    virtual void LoadTraceList();
    virtual void LoadLimitList();

    /// The displayed texts.
    frmMainFields& Fields() noexcept { return fields_; }
    const frmMainFields& Fields() const noexcept { return fields_; }

    // The message senders the control's Send_ members hand over to.
    virtual void Send_Msg_To_Host(const std::string& text);
    virtual bool Request_Download_Map(const std::string& file_name, const std::string& path);
    virtual Variant UploadMapData(const std::string& file_name, const std::string& path);
    virtual Variant SendFormattedProgram(const std::string& file_name, const std::string& path);
    virtual Variant SendEventToHost(const std::string& ceid);

    /// What the control asked the window to do, in order ("Load", "RefreshAllStatus", "Show
    /// modal" ...); the window's own refreshes are not listed.
    const std::vector<std::string>& Calls() const noexcept { return calls_; }

  protected:
    void Record(std::string call) { calls_.push_back(std::move(call)); }

  private:
    void Trapped(const char* procedure, const std::function<void(KestServer&)>& body);
    void StartStateModel(KestServer& control);
    void RefreshEveryArea(KestServer& control);
    void OnProtocolEvent(KestServer& control, const KestEvent& event);
    void OnStateChanged(KestServer& control, const KestEvent& event);
    void OnTimeout(const KestEvent& event);
    void AddResult(std::string line);

    std::weak_ptr<KestServer> parent_;
    frmMainFields fields_;
    bool admin_mode_ = false;
    bool visible_ = false;
    bool modal_ = false;
    std::vector<std::string> calls_;

    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    Subscription subscription_;
    std::unique_ptr<EstablishTimer> timer_;
    std::unique_ptr<CommunicationState> communication_;
    std::unique_ptr<ControlState> control_state_;
};

}  // namespace kest
