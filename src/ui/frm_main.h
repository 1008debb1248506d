#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/variant.h"
#include "notify/listener.h"
#include "ui/frm_main_fields.h"

namespace kest {

class GemContext;
enum class StateAspect;
enum class BoxKind;
struct EntryWarning;

/// The options of the settings tabs that write at once, each a pair of choices.
enum class WindowOption {
    InitCommState,     ///< enabled 1 / disabled 0
    InitControlState,  ///< online 2 / offline 1
    OnlineFailed,      ///< host offline 3 / equipment offline 1
    OnlineSubstate,    ///< remote 5 / local 4
    OfflineSubstate,   ///< host offline 3 / equipment offline 1
    WBits5,            ///< 1 / 0
    WBits6,
    WBits10,
    ConfigSpool,     ///< 1 / 0
    OverWriteSpool,  ///< "TRUE" / "FALSE"
};

/// The two logs the log menu opens.
enum class WindowLog { Service, SecsII };

/// The operator window, headless: everything the window does, without a screen. It starts the
/// GEM state machines at its load and stops them at its unload, hands the operator's switches
/// to them, observes the state model and the control's notifications, and keeps the texts it
/// shows in `Fields()`. A view shows those; message boxes go to the control's box sink.
///
/// Every handler runs under the control's error trap with the source "frmMain:<procedure>".
class frmMain final : public std::enable_shared_from_this<frmMain> {
  public:
    frmMain();
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    /// The control it belongs to.
    void SetParent(std::weak_ptr<GemContext> parent) { parent_ = std::move(parent); }
    std::shared_ptr<GemContext> GetParent() const { return parent_.lock(); }
    /// Called when the window unloads, so its owner forgets it.
    void SetOnUnload(std::function<void(const frmMain&)> on_unload) {
        on_unload_ = std::move(on_unload);
    }

    /// Start-up: starts the state machines, which set the initial communication and control
    /// states (no event), refreshes every area, opens the port when "PortOpenAtStartUp" is
    /// "TRUE", shows the connection and raises ("KestTool", "Load").
    void Load();
    /// Stops the establish timer, closes the port when "PortOpened" is "TRUE", raises
    /// ("KestTool", "Unload"), lets the control forget the window and stops the machines.
    void Unload();
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

    /// Follows the control's events for what it shows: the connection, host requests,
    /// traces and time-outs.
    void moGEMServer_EventNotification(const KestEvent& event);
    /// Writes the result line of a process program transfer ("Recipe [id] upload to host
    /// success." ...).
    void moGEMServer_MethodNotification(const KestMethod& method);

    // --- The areas `RefreshGEMTool` refreshes, in its order ---------------------------------

    void RefreshAdminMode();
    void RefreshAllSetting();
    /// Communication, control, process and equipment texts.
    void RefreshAllStatus();
    /// The spool state, its substates and counts.
    void RefreshSpoolStatus();
    void LoadEnabledEvent();
    void LoadEnabledAlarm();
    void LoadSetAlarm();
    void LoadTraceList();
    void LoadLimitList();

    // --- Settings tabs and dialogs. They take changes in administrator mode only (their
    //     controls are disabled otherwise); a refused entry shows its warning, sets `Focus`
    //     and changes nothing. Each returns whether it wrote. ------------------------------

    /// The communication tab's save: timeout 0-1800 s and heartbeat 0-60 s, then
    /// "InitCommState", both values and the heartbeat applied.
    bool SaveCommunicationSetting(const std::string& timeout, const std::string& heartbeat,
                                  bool init_comm_enabled);
    /// An option that writes at once (`on` is the first choice of its pair).
    bool SetOption(WindowOption option, bool on);
    /// The spool tab's save: the maximum message count, within the variable's own maximum.
    bool SaveSpoolSetting(const std::string& count);
    /// The recipe tab's save: "PPDirectory" and "PPFileExt", handed to the driver too.
    bool SaveRecipeSetting(const std::string& directory, const std::string& extension);
    /// The options dialog: name, model, revision and "12 Bytes" / "16 Bytes".
    bool SaveOptions(const std::string& name, const std::string& model, const std::string& revision,
                     const std::string& time_format);
    /// "&Login": the administrator password sets `AdminMode`. Allowed in any mode.
    bool Login(const std::string& password);
    /// "&Logout": clears `AdminMode`.
    void Logout();
    /// The password dialog: a new administrator password.
    bool ChangePassword(const std::string& password);
    /// The database dialog: another database file, refused while the port is open.
    bool ChangeDatabase(const std::string& file);
    /// The send button of the terminal tab: the port open, communicating and online, then a
    /// text that is not empty, sent to terminal 0.
    bool SendTerminalButton(const std::string& text);
    /// The clear button of the terminal message window: empties and closes it and reports the
    /// event "GemMessageAcknowledge".
    bool ClearTerminalButton();
    /// The upload dialog's list: the programs directly in "PPDirectory" whose extension is
    /// "PPFileExt", sorted.
    std::vector<std::string> UploadList();
    /// The upload dialog's OK: the chosen program (one of `UploadList`) goes to the host.
    bool UploadButton(const std::string& ppid);
    /// The download dialog's OK: the program `ppid` is fetched from the host into "PPDirectory".
    bool DownloadButton(const std::string& ppid);
    /// Today's service or SECS-II log; a missing file shows "<name>.log not exist!".
    std::optional<std::filesystem::path> LogFile(WindowLog log);

    /// The displayed texts.
    frmMainFields& Fields() noexcept { return fields_; }
    const frmMainFields& Fields() const noexcept { return fields_; }

    // The message senders the control's Send_ members hand over to.
    void Send_Msg_To_Host(const std::string& text);
    bool Request_Download_Map(const std::string& file_name, const std::string& path);
    Variant UploadMapData(const std::string& file_name, const std::string& path);
    Variant SendFormattedProgram(const std::string& file_name, const std::string& path);
    Variant SendEventToHost(const std::string& ceid);

  private:
    void Trapped(const char* procedure, const std::function<void(GemContext&)>& body);
    void Observe(GemContext& control);
    void OnStateMoved(GemContext& control, StateAspect aspect);
    void RefreshEveryArea(GemContext& control);
    void OnTimeout(const KestEvent& event);
    void AddResult(std::string line);
    bool Refused(GemContext& control, const std::optional<EntryWarning>& warning);
    bool LinkReady(GemContext& control);
    void Box(GemContext& control, std::string text, BoxKind kind);
    bool Changing(const char* procedure, const std::function<bool(GemContext&)>& body);

    std::weak_ptr<GemContext> parent_;
    frmMainFields fields_;
    bool admin_mode_ = false;
    bool visible_ = false;
    bool modal_ = false;
    bool loaded_ = false;
    std::function<void(const frmMain&)> on_unload_;

    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    Subscription subscription_;
    std::shared_ptr<void> watch_;
};

}  // namespace kest
