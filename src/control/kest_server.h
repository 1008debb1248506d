#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <asio/any_io_executor.hpp>

#include "base/clock.h"
#include "base/variant.h"
#include "control/action_list.h"
#include "control/gem_types.h"
#include "control/work_lists.h"
#include "driver/secs_driver.h"
#include "gemdb/gemdb_events.h"
#include "notify/error_trap.h"
#include "notify/listener.h"
#include "notify/message_box.h"
#include "notify/notifications.h"

namespace kest {

class GEMDB;
class SECSInitialize;
class SECSProtocol;
class clsLogInfo;
class frmMain;
class ControlTimers;
class LimitMonitor;
class GEMEstabComm;
class GEMHeartBeat;
class GEMClock;
class GEMAlarm;
class GEMTerminal;
class GEMEventReport;
class GEMMap;
class GEMProcessProgram;

/// How a control is put together; every member has a working default.
struct KestServerOptions {
    /// The wall clock (tests pass a ManualClock).
    std::shared_ptr<Clock> clock{};
    /// Makes the SECS driver; by default our own `VortelTool` on the control's executor.
    std::function<std::shared_ptr<SecsDriver>(asio::any_io_executor)> driver_factory{};
    /// Where message boxes go; by default standard error.
    std::shared_ptr<MessageBoxSink> boxes{};
    /// Makes the operator window on `StartGEMTool`; by default the headless `frmMain`.
    std::function<std::shared_ptr<frmMain>()> window_factory{};
    /// Run the control's timers on the executor. Tests turn this off and call the ticks.
    bool run_timers = true;
    /// A listener subscribed before creation, so it also hears what creation reports.
    std::optional<KestListener> listener{};
};

/// The GEM service control the equipment application embeds: it owns the SECS driver, the GEM
/// database, the settings, the live transactions and commands, the spool, the traces, the timers
/// and the operator window, and it is the only source of the four notifications.
///
/// Single-threaded: every member is called on the control's executor, and notifications run on
/// it, inside the call that raises them. Public methods return true on success; a failure is
/// reported through `ErrorNotification` and the method returns false (or an empty value).
class KestServer final : public std::enable_shared_from_this<KestServer>,
                         public ErrorReporter,
                         public GEMDBEvents {
  public:
    /// Creates the control for the application directory `app_directory` (which holds GEM.mdb,
    /// Default.xml and Log/). A missing database shows the box "GEM Database [...] not found!"
    /// and leaves a control whose every later call fails into its error trap.
    static std::shared_ptr<KestServer> Create(asio::any_io_executor executor,
                                              std::filesystem::path app_directory,
                                              KestServerOptions options = {});
    ~KestServer() override;
    KestServer(const KestServer&) = delete;
    KestServer& operator=(const KestServer&) = delete;

    /// Adds a listener of the four notifications; it hears them while the subscription lives.
    [[nodiscard]] Subscription Subscribe(KestListener listener);

    // --- Properties -------------------------------------------------------------------------

    /// Seconds a transaction, an expected message or a remote command may wait (150).
    std::int32_t GEMTimeout() const noexcept { return gem_timeout_; }
    void SetGEMTimeout(std::int32_t seconds) noexcept { gem_timeout_ = seconds; }
    bool IsAlarmLast() const noexcept { return is_alarm_last_; }
    void SetIsAlarmLast(bool value) noexcept { is_alarm_last_ = value; }
    /// ALID of the last S5F1 handed to `SendSECSTrans`.
    const std::string& LatestAlarmID() const noexcept { return latest_alarm_id_; }
    void SetLatestAlarmID(std::string value) { latest_alarm_id_ = std::move(value); }
    /// True when that S5F1 set the alarm (ALCD 128).
    bool AlarmSet() const noexcept { return alarm_set_; }
    void SetAlarmSet(bool value) noexcept { alarm_set_ = value; }
    /// ALTX of that S5F1.
    const std::string& LatestAlarmText() const noexcept { return latest_alarm_text_; }
    void SetLatestAlarmText(std::string value) { latest_alarm_text_ = std::move(value); }

    /// The owned objects (null when the database was missing at creation).
    std::shared_ptr<kest::GEMDB> GEMDB() const noexcept { return gemdb_; }
    std::shared_ptr<kest::SECSInitialize> SECSInitialize() const noexcept { return initialize_; }
    std::shared_ptr<kest::SECSProtocol> SECSProtocol() const noexcept { return protocol_; }

    // --- Factory members --------------------------------------------------------------------

    KestCmdItem GEMCmdItem() const { return {}; }
    KestEnCmdItem GEMEnCmdItem() const { return {}; }
    KestCommand GEMCommand() const;
    KestError GEMError() const { return {}; }
    KestEvent GEMEvent() const { return {}; }
    KestItem GEMItem() const { return {}; }
    KestMethod GEMMethod() const { return {}; }
    /// A fresh service object attached to this control.
    std::shared_ptr<kest::GEMEstabComm> GEMEstabComm();
    std::shared_ptr<kest::GEMHeartBeat> GEMHeartBeat();
    std::shared_ptr<kest::GEMClock> GEMClock();
    std::shared_ptr<kest::GEMAlarm> GEMAlarm();
    std::shared_ptr<kest::GEMTerminal> GEMTerminal();
    std::shared_ptr<kest::GEMEventReport> GEMEventReport();
    std::shared_ptr<kest::GEMMap> GEMMap();
    std::shared_ptr<kest::GEMProcessProgram> GEMProcessProgram();

    // --- The operator window ----------------------------------------------------------------

    /// Loads a new operator window (replacing one that exists), which sets the initial states
    /// and opens the port when configured.
    bool StartGEMTool();
    /// Unloads the operator window.
    bool StopGEMTool();
    /// Shows the window; error 4005 "KestTool is not started." without one.
    bool ShowGEMTool(bool modal);
    /// Hides the window; error 4005 without one.
    bool HideGEMTool();
    /// Refreshes every area of a visible window; error 4005 without one.
    bool RefreshGEMTool();

    // --- Equipment state --------------------------------------------------------------------

    /// Records a new process state and reports "GemProcessStateChange"; error 4006 when empty.
    bool UpdateProcessState(const std::string& new_state);
    /// Records the executing process program; error 4007 when empty.
    bool UpdatePPEXECName(const std::string& ppid);
    /// Records a process-program change and reports "GemPPChangeEvent"; error 4007 when empty.
    bool UpdatePPChange(const std::string& ppid, std::int32_t change_status);

    /// Answers a remote command with its HCACK and outputs (S2F42 or S2F50); error 4004 for a
    /// command that is not waiting.
    bool ReplyCommand(const KestCommand& command);
    /// Takes no action; returns an empty value.
    Variant SetControlToOffline() { return {}; }

    // --- Senders through the operator window ------------------------------------------------

    bool Send_Msg(const std::string& text);
    bool Send_S14F1(const std::string& file_name, const std::string& path);
    Variant Send_S6F11_UploadMapData(const std::string& file_name, const std::string& path);
    Variant Send_S7F23(const std::string& file_name, const std::string& path);
    Variant Send_S6F11(const std::string& ceid);

    // --- Internal members used by the services, handlers, settings and window ---------------

    /// The SECS driver.
    SecsDriver& VortelToolOCX() const;
    /// The database; raises error 91 when the control has none.
    kest::GEMDB& Db() const;
    kest::SECSProtocol& Protocol() const;
    kest::SECSInitialize& Initialize() const;
    /// The operator window, or null.
    frmMain* FrmGEMTool() const noexcept { return window_.get(); }
    /// The application directory.
    const std::filesystem::path& AppDirectory() const noexcept { return app_directory_; }
    const std::shared_ptr<Clock>& GetClock() const noexcept { return clock_; }
    asio::any_io_executor Executor() const { return executor_; }
    /// Whether the control runs its timers on the executor (off in tests, which call ticks).
    bool RunsTimers() const noexcept { return options_.run_timers; }
    MessageBoxSink& Boxes() const noexcept { return *boxes_; }
    /// The last error reported.
    const KestError& LastError() const noexcept { return last_error_; }

    ActionList& Actions() noexcept { return actions_; }
    CommandList& Commands() noexcept { return commands_; }
    std::vector<KestRecTrace>& TraceList() noexcept { return traces_; }
    SpoolQueue& SpoolList() noexcept { return spool_; }
    std::vector<clsExpectRecipe>& ExpectMsg() noexcept { return expected_; }
    /// Trace timer element `index` (1 to 4), or null outside the loaded elements.
    TraceTimerElement* TraceTime(int index);
    /// Starts or stops trace timer element `index` after its fields changed.
    void ApplyTraceTimer(int index);

    /// Registers a live transaction under the decimal text of its TID.
    void AddEDAction(std::shared_ptr<IEDAction> action);
    /// Registers a remote command waiting for `ReplyCommand`.
    void AddCommand(std::shared_ptr<KestCommand> command);
    /// A fresh transaction number, skipping those of live transactions and commands.
    std::int32_t NewTID();

    /// Reports an error: logs it, keeps it and raises `ErrorNotification`.
    void TriggerError(const std::string& source, int code, const std::string& text,
                      int line) override;
    /// Raises `MethodNotification` when the transaction of `method.TID` is live, removing it;
    /// writes the method line in every case.
    void ReplyMethod(const KestMethod& method);
    /// Raises `EventNotification`, then writes the event line.
    void FireEvent(const KestEvent& event);
    /// Raises `CommandNotification`, then writes the command line.
    void FireCommand(KestCommand& command);
    /// Forgets the operator window.
    void ResetGEMTool();
    /// Shows `text` in the terminal message window; an empty text closes it.
    void DisplayMessage(const std::string& text);
    /// The terminal message window's text ("" when closed).
    const std::string& MessageWindowText() const noexcept { return message_text_; }
    bool MessageWindowOpen() const noexcept { return message_open_; }
    /// Passes a directory to the log writer.
    void SetLogPath(const std::filesystem::path& directory);
    /// Writes a line to the service log (when there is one).
    void WriteLog(const std::string& text);

    /// The only way an outgoing primary reaches the driver: checks the port, communication and
    /// control states (errors 4019, 4020, 4021) and offers a refused message to the spool.
    bool SendSECSTrans(const std::shared_ptr<SecsTransaction>& trans, const std::string& ce_name);
    /// Activates spooling after the port was lost.
    void SpoolChecking();
    /// Offers a message that could not be sent to the spool.
    void SpoolOffer(const std::shared_ptr<SecsTransaction>& trans);
    /// Re-arms the heartbeat from the GEM variable "HeartBeat".
    void SetHeartBeat();
    /// Reports the collection event `name` (GEMEventReport.SendEventRptByName).
    bool ReportEvent(const std::string& name);

    // --- Ticks (the control's timers call them; tests call them directly) -------------------

    /// The 500 ms timeout tick: works once per second of the clock.
    void TimeoutTick();
    /// The heartbeat tick.
    void HeartBeatTick();
    /// The tick of trace timer element `index`.
    void TraceTick(int index);
    /// The heartbeat period in milliseconds (0 when off).
    int HeartBeatInterval() const noexcept { return heartbeat_interval_ms_; }
    bool HeartBeatEnabled() const noexcept { return heartbeat_enabled_; }

    // --- Driver events (the driver raises them through an adapter) --------------------------

    void VortelTool1_Connect();
    void VortelTool1_Disconnect(std::int32_t error_code, const std::string& error_text);
    void VortelTool1_ReceivedPrimary(const std::shared_ptr<SecsTransaction>& trans,
                                     std::int32_t error_code, const std::string& error_text);
    void VortelTool1_ReceivedSecondary(const std::shared_ptr<SecsTransaction>& trans,
                                       std::int32_t error_code, const std::string& error_text);
    void VortelTool1_Error(const DriverError& error);

    // --- GEMDBEvents ------------------------------------------------------------------------

    void GEMDBError(const std::string& source, int number, const std::string& text) override;
    void GEMDBStateChanged(const std::string& service_name, const std::string& state) override;
    void GEMDBSpoolCheck() override;

    // --- Conveniences for the GEM layer -----------------------------------------------------

    /// The value of GEM variable `name` as text ("NULL" when missing).
    std::string GemVar(const std::string& name) const;
    /// Writes the value of GEM variable `name`; false when the database refused.
    bool SetGemVar(const std::string& name, const Variant& value) const;
    /// The value of setting `name` as text ("NULL" when missing).
    std::string Setting(const std::string& name) const;
    void SetSetting(const std::string& name, const Variant& value) const;

  private:
    KestServer(asio::any_io_executor executor, std::filesystem::path app_directory,
               KestServerOptions options);
    void Initialize();
    void CreateOwnedObjects();
    void Destroy() noexcept;
    void TimeoutTransactions();
    void TimeoutExpectedMessages();
    void TimeoutCommands();
    void MonitorLimits();
    void AlarmFallback();
    void ReportDriverError(const DriverError& error);
    void CommunicationFailed();
    void PortLost(std::int32_t error_code, const std::string& error_text);
    bool RequireWindow(const char* procedure);

    asio::any_io_executor executor_;
    std::filesystem::path app_directory_;
    KestServerOptions options_;
    std::shared_ptr<Clock> clock_;
    std::shared_ptr<MessageBoxSink> boxes_;
    Notifier notifier_;
    Subscription initial_subscription_;

    std::int32_t gem_timeout_ = 150;
    bool is_alarm_last_ = false;
    std::string latest_alarm_id_;
    bool alarm_set_ = false;
    std::string latest_alarm_text_;
    std::string last_tick_;
    KestError last_error_;

    std::unique_ptr<clsLogInfo> log_;
    std::shared_ptr<SecsDriver> driver_;
    std::shared_ptr<SecsDriverEvents> driver_events_;
    std::shared_ptr<kest::GEMDB> gemdb_;
    std::shared_ptr<kest::SECSInitialize> initialize_;
    std::shared_ptr<kest::SECSProtocol> protocol_;
    std::shared_ptr<frmMain> window_;
    std::string message_text_;
    bool message_open_ = false;

    ActionList actions_;
    CommandList commands_;
    std::vector<KestRecTrace> traces_;
    std::array<TraceTimerElement, 5> trace_timers_{};
    int trace_timers_loaded_ = 0;
    SpoolQueue spool_;
    std::vector<clsExpectRecipe> expected_;
    std::unique_ptr<LimitMonitor> limits_;
    int heartbeat_interval_ms_ = 0;
    bool heartbeat_enabled_ = false;
    std::unique_ptr<ControlTimers> timers_;
    bool created_ = false;
};

}  // namespace kest
