#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <asio/any_io_executor.hpp>

#include "base/clock.h"
#include "base/equipment_clock.h"
#include "base/variant.h"
#include "control/kest_server.h"
#include "control/queue_sender.h"
#include "core/action_list.h"
#include "core/gem_context.h"
#include "core/gem_types.h"
#include "core/state_model.h"
#include "core/transaction_number.h"
#include "core/work_lists.h"
#include "driver/secs_driver.h"
#include "gemdb/gemdb_events.h"
#include "notify/error_trap.h"
#include "notify/listener.h"
#include "notify/message_box.h"
#include "notify/notifications.h"

namespace kest {

class GEMDB;
class WebConsole;
class SECSInitialize;
class SECSProtocol;
class clsLogInfo;
class AppendFile;
class frmMain;
class ControlTimers;
class DatabaseWatch;
class LimitMonitor;
class GEMEstabComm;
class GEMHeartBeat;
class GEMClock;
class GEMAlarm;
class GEMTerminal;
class GEMMap;
class GEMessage;
class GEMEventReport;
class GEMProcessProgram;

/// The engine behind `KestServer`: it owns the SECS driver, the GEM database, the settings, the
/// state model, the live transactions and commands, the spool, the traces, the timers and the
/// operator window, routes the driver's events and is the only source of the notifications.
/// The services, handlers, settings and the window see it as a `GemContext`.
///
/// Single-threaded: every member is called on the control's executor (asserted in debug
/// builds), and notifications run on it, inside the call that raises them.
class ControlCore final : public GemContext, public GEMDBEvents {
  public:
    static std::shared_ptr<ControlCore> Create(asio::any_io_executor executor,
                                               std::filesystem::path app_directory,
                                               KestServerOptions options);
    ~ControlCore() override;
    ControlCore(const ControlCore&) = delete;
    ControlCore& operator=(const ControlCore&) = delete;

    // --- What KestServer forwards ------------------------------------------------------------

    Subscription Subscribe(KestListener listener) override;
    std::int32_t GEMTimeout() const noexcept override { return gem_timeout_; }
    void SetGEMTimeout(std::int32_t seconds) noexcept { gem_timeout_ = seconds; }
    bool IsAlarmLast() const noexcept { return is_alarm_last_; }
    void SetIsAlarmLast(bool value) noexcept { is_alarm_last_ = value; }
    const std::string& LatestAlarmID() const noexcept { return latest_alarm_id_; }
    void SetLatestAlarmID(std::string value) { latest_alarm_id_ = std::move(value); }
    bool AlarmSet() const noexcept { return alarm_set_; }
    void SetAlarmSet(bool value) noexcept { alarm_set_ = value; }
    const std::string& LatestAlarmText() const noexcept { return latest_alarm_text_; }
    void SetLatestAlarmText(std::string value) { latest_alarm_text_ = std::move(value); }

    std::shared_ptr<kest::GEMDB> GEMDB() const noexcept { return gemdb_; }
    std::shared_ptr<kest::SECSInitialize> SECSInitialize() const noexcept { return initialize_; }
    std::shared_ptr<kest::SECSProtocol> SECSProtocol() const noexcept { return protocol_; }

    KestCommand GEMCommand();
    std::shared_ptr<kest::GEMEstabComm> GEMEstabComm();
    std::shared_ptr<kest::GEMHeartBeat> GEMHeartBeat();
    std::shared_ptr<kest::GEMClock> GEMClock();
    std::shared_ptr<kest::GEMAlarm> GEMAlarm();
    std::shared_ptr<kest::GEMTerminal> GEMTerminal();
    std::shared_ptr<kest::GEMEventReport> GEMEventReport();
    std::shared_ptr<kest::GEMProcessProgram> GEMProcessProgram();
    std::shared_ptr<kest::GEMMap> GEMMap();
    std::shared_ptr<kest::GEMessage> GEMessage();

    bool StartGEMTool();
    bool StopGEMTool();
    bool ShowGEMTool(bool modal);
    bool HideGEMTool();
    bool RefreshGEMTool() override;

    bool StartConsole(const std::string& address, int port);
    void StopConsole();
    int ConsolePort() const noexcept;

    bool UpdateProcessState(const std::string& new_state);
    bool UpdatePPEXECName(const std::string& ppid);
    bool UpdatePPChange(const std::string& ppid, std::int32_t change_status);
    bool ReplyCommand(const KestCommand& command);

    bool Send_Msg(const std::string& text);
    bool Send_S14F1(const std::string& file_name, const std::string& path);
    Variant Send_S6F11_UploadMapData(const std::string& file_name, const std::string& path);
    Variant Send_S7F23(const std::string& file_name, const std::string& path);
    Variant Send_S6F11(const std::string& ceid);

    // --- GemContext --------------------------------------------------------------------------

    SecsDriver& VortelToolOCX() const override;
    kest::GEMDB& Db() const override;
    GemStateModel& State() override { return state_; }
    const std::shared_ptr<Clock>& GetClock() const noexcept override { return clock_; }
    bool SetLocalTime(const LocalTime& time) override { return equipment_clock_->Set(time); }
    /// Reads the settings "EquipmentClock" ("OFFSET" keeps the time as an offset from the
    /// system clock) and "EquipmentClockOffset" (milliseconds); done at creation.
    void LoadClockSetting();
    asio::any_io_executor Executor() const override { return executor_; }
    bool RunsTimers() const noexcept override { return options_.run_timers; }
    MessageBoxSink& Boxes() const noexcept override { return *boxes_; }
    const std::filesystem::path& AppDirectory() const noexcept override { return app_directory_; }
    std::int32_t DeviceID() const override;

    ActionList& Actions() noexcept override { return actions_; }
    CommandList& Commands() noexcept override { return commands_; }
    std::vector<KestRecTrace>& TraceList() noexcept override { return traces_; }
    SpoolQueue& SpoolList() noexcept override { return spool_; }
    std::vector<clsExpectRecipe>& ExpectMsg() noexcept override { return expected_; }
    TraceTimerElement* TraceTime(int index) override;
    void ApplyTraceTimer(int index) override;
    void AddEDAction(std::shared_ptr<IEDAction> action) override;
    void AddCommand(std::shared_ptr<KestCommand> command) override;
    std::int32_t NewTID() override;

    void TriggerError(const std::string& source, int code, const std::string& text,
                      int line) override;
    void ReplyMethod(const KestMethod& method) override;
    void FireEvent(const KestEvent& event) override;
    void FireCommand(KestCommand& command) override;
    void DisplayMessage(const std::string& text) override;
    bool AppendToLog(const std::string& name, const std::string& line) override;
    bool SendMsg(std::string_view label, std::string_view queue_path) override;

    bool SendSECSTrans(const std::shared_ptr<SecsTransaction>& trans,
                       const std::string& ce_name) override;
    bool ReportEvent(const std::string& name) override;
    void OpenPort() override;
    void ClosePort() override;
    bool SaveProtocolSetting() override;
    bool RequestEstablish() override;
    bool RequestAreYouThere() override;

    // --- The control's own ---------------------------------------------------------------------

    kest::SECSProtocol& Protocol() const;
    kest::SECSInitialize& Initialize() const;
    /// The operator window, or null.
    frmMain* FrmGEMTool() const noexcept { return window_.get(); }
    const KestError& LastError() const noexcept { return last_error_; }
    const std::string& MessageWindowText() const noexcept { return message_text_; }
    bool MessageWindowOpen() const noexcept { return message_open_; }
    void SetLogPath(const std::filesystem::path& directory);
    void WriteLog(const std::string& text);
    /// Activates spooling after the port was lost.
    void SpoolChecking();
    /// Offers a message that could not be sent to the spool.
    void SpoolOffer(const std::shared_ptr<SecsTransaction>& trans);
    /// Re-arms the heartbeat from the GEM variable "HeartBeat".
    void SetHeartBeat() override;
    /// The transaction numbers of this control.
    TransactionNumbers& Numbers() noexcept { return numbers_; }

    // --- Ticks (the control's timers call them; tests call them directly) -------------------

    /// The 500 ms timeout tick: works once for every second of the steady clock that passed.
    void TimeoutTick();
    void HeartBeatTick();
    void TraceTick(int index);
    int HeartBeatInterval() const noexcept { return heartbeat_interval_ms_; }
    bool HeartBeatEnabled() const noexcept { return heartbeat_enabled_; }

    // --- Driver events ---------------------------------------------------------------------------

    void VortelTool1_Connect();
    void VortelTool1_Disconnect(std::int32_t error_code, const std::string& error_text);
    void VortelTool1_ReceivedPrimary(const std::shared_ptr<SecsTransaction>& trans,
                                     std::int32_t error_code, const std::string& error_text);
    void VortelTool1_ReceivedSecondary(const std::shared_ptr<SecsTransaction>& trans,
                                       std::int32_t error_code, const std::string& error_text);
    void VortelTool1_Error(const DriverError& error);

    // --- GEMDBEvents ----------------------------------------------------------------------------

    void GEMDBError(const std::string& source, int number, const std::string& text) override;
    void GEMDBStateChanged(const std::string& service_name, const std::string& state) override;
    void GEMDBSpoolCheck() override;

    std::shared_ptr<ControlCore> Self() {
        return std::static_pointer_cast<ControlCore>(shared_from_this());
    }
    std::weak_ptr<ControlCore> WeakSelf() { return Self(); }

    /// Debug builds: asserts that the call comes on the thread that runs the control's loop.
    void AssertLoopThread() const noexcept;

  private:
    ControlCore(asio::any_io_executor executor, std::filesystem::path app_directory,
                KestServerOptions options);
    void Initialize();
    void CreateOwnedObjects();
    void WatchDatabase();
    void Destroy() noexcept;
    void ListenerFailed(const char* notification, const TrappedError& error);
    void RunTimeoutPass();
    void TimeoutTransactions();
    void TimeoutExpectedMessages();
    void TimeoutCommands();
    void MonitorLimits();
    void AlarmFallback();
    void ReportDriverError(const DriverError& error);
    void CommunicationFailed();
    void PortLost(std::int32_t error_code, const std::string& error_text);
    bool RequireWindow(const char* procedure);
    void ShowInWindow(const std::function<void(frmMain&)>& show);

    asio::any_io_executor executor_;
    std::filesystem::path app_directory_;
    KestServerOptions options_;
    std::shared_ptr<EquipmentClock> equipment_clock_;
    std::shared_ptr<Clock> clock_;  ///< `equipment_clock_`, injected everywhere time is read
    std::shared_ptr<MessageBoxSink> boxes_;
    Notifier notifier_;
    Subscription initial_subscription_;
    GemStateModel state_{*this};
    TransactionNumbers numbers_;
    mutable std::thread::id loop_thread_{};

    std::int32_t gem_timeout_ = 150;
    bool is_alarm_last_ = false;
    std::string latest_alarm_id_;
    bool alarm_set_ = false;
    std::string latest_alarm_text_;
    std::chrono::steady_clock::time_point last_pass_{};
    KestError last_error_;
    int raising_error_ = 0;

    std::unique_ptr<clsLogInfo> log_;
    std::unique_ptr<AppendFile> hand_over_log_;
    std::unique_ptr<QueueSender> queues_;
    std::shared_ptr<SecsDriver> driver_;
    std::shared_ptr<SecsDriverEvents> driver_events_;
    std::shared_ptr<kest::GEMDB> gemdb_;
    std::unique_ptr<DatabaseWatch> database_watch_;
    std::shared_ptr<kest::SECSInitialize> initialize_;
    std::shared_ptr<kest::SECSProtocol> protocol_;
    std::shared_ptr<frmMain> window_;
    std::unique_ptr<WebConsole> console_;
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

/// The engine of a `KestServer`, for the parts of the library (and its tests) that need more
/// than the application's interface.
struct KestServerAccess {
    static const std::shared_ptr<ControlCore>& Core(const KestServer& server);
};

}  // namespace kest
