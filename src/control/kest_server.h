#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <asio/any_io_executor.hpp>

#include "base/clock.h"
#include "base/variant.h"
#include "core/gem_types.h"
#include "notify/listener.h"
#include "notify/message_box.h"
#include "notify/notifications.h"

namespace kest {

class ControlCore;
class GEMDB;
class SECSInitialize;
class SECSProtocol;
class SecsDriver;
class frmMain;
class GEMEstabComm;
class GEMHeartBeat;
class GEMClock;
class GEMAlarm;
class GEMTerminal;
class GEMMap;
class GEMessage;
class GEMEventReport;
class GEMProcessProgram;

/// How a control is put together; every member has a working default.
struct KestServerOptions {
    /// The wall clock (tests pass a ManualClock).
    std::shared_ptr<Clock> clock{};
    /// Sets the machine's clock when the host sets the time; by default clock_settime when
    /// `clock` is the machine's clock, and a refusal on an injected clock, so that a control on
    /// a test's clock never changes the machine's time.
    std::function<bool(Clock::TimePoint)> set_system_time{};
    /// Keep the equipment's time as an offset from `clock` whatever the setting
    /// "EquipmentClock" says.
    bool offset_clock = false;
    /// Makes the SECS driver; by default our own `VortelTool` on the control's executor.
    std::function<std::shared_ptr<SecsDriver>(asio::any_io_executor)> driver_factory{};
    /// Where message boxes go; by default standard error.
    std::shared_ptr<MessageBoxSink> boxes{};
    /// Run the control's timers on the executor. Tests turn this off and call the ticks.
    bool run_timers = true;
    /// A listener subscribed before creation, so it also hears what creation reports.
    std::optional<KestListener> listener{};
};

/// The GEM service control the equipment application embeds: it owns the SECS driver, the GEM
/// database, the settings, the live transactions and commands, the spool, the traces, the timers
/// and the operator window, and it is the only source of the four notifications.
///
/// Single-threaded: create the control on the thread that runs its executor and call every
/// member there (debug builds assert it); notifications run on it, inside the call that raises
/// them. Public methods return true on success; a failure is reported through
/// `ErrorNotification` and the method returns false (or an empty value).
class KestServer final {
  public:
    /// Creates the control for the application directory `app_directory` (which holds GEM.mdb,
    /// Default.xml and Log/). A missing database shows the box "GEM Database [...] not found!"
    /// and leaves a control whose every later call fails into its error trap.
    static std::shared_ptr<KestServer> Create(asio::any_io_executor executor,
                                              std::filesystem::path app_directory,
                                              KestServerOptions options = {});
    ~KestServer();
    KestServer(const KestServer&) = delete;
    KestServer& operator=(const KestServer&) = delete;

    /// Adds a listener of the four notifications; it hears them while the subscription lives.
    [[nodiscard]] Subscription Subscribe(KestListener listener);
    /// The executor the control runs on.
    asio::any_io_executor Executor() const;

    // --- Properties -------------------------------------------------------------------------

    /// Seconds a transaction, an expected message or a remote command may wait (150).
    std::int32_t GEMTimeout() const noexcept;
    void SetGEMTimeout(std::int32_t seconds) noexcept;
    bool IsAlarmLast() const noexcept;
    void SetIsAlarmLast(bool value) noexcept;
    /// ALID of the last S5F1 sent.
    const std::string& LatestAlarmID() const noexcept;
    void SetLatestAlarmID(std::string value);
    /// True when that S5F1 set the alarm (ALCD 128).
    bool AlarmSet() const noexcept;
    void SetAlarmSet(bool value) noexcept;
    /// ALTX of that S5F1.
    const std::string& LatestAlarmText() const noexcept;
    void SetLatestAlarmText(std::string value);

    /// The owned objects (null when the database was missing at creation).
    std::shared_ptr<kest::GEMDB> GEMDB() const noexcept;
    std::shared_ptr<kest::SECSInitialize> SECSInitialize() const noexcept;
    std::shared_ptr<kest::SECSProtocol> SECSProtocol() const noexcept;

    // --- Factory members --------------------------------------------------------------------

    KestCmdItem GEMCmdItem() const { return {}; }
    KestEnCmdItem GEMEnCmdItem() const { return {}; }
    /// A command with a fresh transaction number of this control.
    KestCommand GEMCommand();
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
    std::shared_ptr<kest::GEMProcessProgram> GEMProcessProgram();
    std::shared_ptr<kest::GEMMap> GEMMap();
    std::shared_ptr<kest::GEMessage> GEMessage();

    // --- The operator window ----------------------------------------------------------------

    /// Loads a new operator window (replacing one that exists), which sets the initial states,
    /// starts the state machines and opens the port when configured.
    bool StartGEMTool();
    /// Unloads the operator window.
    bool StopGEMTool();
    /// Serves the operator window as a web console on `address`:`port` (port 0: a free one,
    /// see `ConsolePort`). An address that cannot be bound is reported as error 3000; false then.
    /// Call on the control's loop; the console stops with the control.
    bool StartConsole(const std::string& address = "127.0.0.1", int port = 0);
    void StopConsole();
    /// The console's port; 0 when it is not serving.
    int ConsolePort() const noexcept;
    /// Shows the window; error 4005 "KestTool is not started." without one.
    bool ShowGEMTool(bool modal);
    /// Hides the window; error 4005 without one.
    bool HideGEMTool();
    /// Refreshes every area of a visible window; error 4005 without one.
    bool RefreshGEMTool();
    /// The operator window while the tool is started, else null: its switches are how an
    /// unattended application acts as the operator.
    frmMain* FrmGEMTool() const noexcept;

    /// The communication and control states as the state model has them.
    GEM_COMMSTATE CommState() const;
    GEM_CONTROLSTATE ControlState() const;

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

    // --- Senders through the operator window (error 4005 without one) ------------------------

    bool Send_Msg(const std::string& text);
    bool Send_S14F1(const std::string& file_name, const std::string& path);
    Variant Send_S6F11_UploadMapData(const std::string& file_name, const std::string& path);
    Variant Send_S7F23(const std::string& file_name, const std::string& path);
    Variant Send_S6F11(const std::string& ceid);

  private:
    explicit KestServer(std::shared_ptr<ControlCore> core);
    /// The engine, asserting (in debug builds) that the call comes on the control's thread.
    ControlCore& Core() const;
    friend struct KestServerAccess;

    std::shared_ptr<ControlCore> core_;
};

}  // namespace kest
