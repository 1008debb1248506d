#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <asio/any_io_executor.hpp>

#include "base/clock.h"
#include "base/variant.h"
#include "core/action_list.h"
#include "core/work_lists.h"
#include "driver/secs_driver.h"
#include "notify/error_trap.h"
#include "notify/listener.h"
#include "notify/message_box.h"
#include "notify/notifications.h"

namespace kest {

class GEMDB;
class GemStateModel;

/// What the services, host handlers, settings and the operator window need of the control:
/// sending, the database, the state model, the clock, transaction numbers, the work lists and
/// the error trap. The control implements it; nothing below the control sees the control.
///
/// Single-threaded: every member is called on the control's executor.
class GemContext : public ErrorReporter, public std::enable_shared_from_this<GemContext> {
  public:
    ~GemContext() override = default;

    // --- Owned objects (a missing one raises error 91) ---------------------------------------

    virtual SecsDriver& VortelToolOCX() const = 0;
    virtual GEMDB& Db() const = 0;
    virtual GemStateModel& State() = 0;
    virtual const std::shared_ptr<Clock>& GetClock() const noexcept = 0;
    /// Sets the equipment's clock (the machine's, or its offset) to the local time `time`;
    /// false when refused, the time then unchanged.
    virtual bool SetLocalTime(const LocalTime& time) = 0;
    virtual asio::any_io_executor Executor() const = 0;
    /// Whether timers run on the executor (tests turn them off and call the ticks).
    virtual bool RunsTimers() const noexcept = 0;
    virtual MessageBoxSink& Boxes() const noexcept = 0;
    virtual const std::filesystem::path& AppDirectory() const noexcept = 0;
    /// Seconds a transaction or a remote command may wait.
    virtual std::int32_t GEMTimeout() const noexcept = 0;
    /// The device ID of the connection settings.
    virtual std::int32_t DeviceID() const = 0;

    // --- Work lists --------------------------------------------------------------------------

    virtual ActionList& Actions() noexcept = 0;
    virtual CommandList& Commands() noexcept = 0;
    virtual std::vector<KestRecTrace>& TraceList() noexcept = 0;
    virtual SpoolQueue& SpoolList() noexcept = 0;
    virtual std::vector<clsExpectRecipe>& ExpectMsg() noexcept = 0;
    /// Trace timer element `index` (1 to 4), or null outside the loaded elements.
    virtual TraceTimerElement* TraceTime(int index) = 0;
    /// Starts or stops trace timer element `index` after its fields changed.
    virtual void ApplyTraceTimer(int index) = 0;
    /// Registers a live transaction under the decimal text of its TID.
    virtual void AddEDAction(std::shared_ptr<IEDAction> action) = 0;
    /// Registers a remote command waiting for `ReplyCommand`.
    virtual void AddCommand(std::shared_ptr<KestCommand> command) = 0;
    /// A fresh transaction number of this control, skipping those still in use.
    virtual std::int32_t NewTID() = 0;

    // --- Notifications -----------------------------------------------------------------------

    [[nodiscard]] virtual Subscription Subscribe(KestListener listener) = 0;
    /// Raises `MethodNotification` when the transaction of `method.TID` is live, removing it.
    virtual void ReplyMethod(const KestMethod& method) = 0;
    virtual void FireEvent(const KestEvent& event) = 0;
    virtual void FireCommand(KestCommand& command) = 0;
    /// Shows `text` in the terminal message window; an empty text closes it.
    virtual void DisplayMessage(const std::string& text) = 0;
    /// Appends `line` to the file Log/`name` of the application directory, kept open between
    /// lines; false when it cannot be written.
    virtual bool AppendToLog(const std::string& name, const std::string& line) = 0;
    /// Puts `label` (priority 5, body "Null") on the local queue of `queue_path` for the
    /// equipment software; true when it was sent. A store that cannot be opened drops the label
    /// with a line in Log/Log.txt; one that refuses the message reports it through the error trap
    /// as "EDPrimaryIn:SendMsg".
    virtual bool SendMsg(std::string_view label, std::string_view queue_path) = 0;

    // --- Sending -----------------------------------------------------------------------------

    /// The only way an outgoing primary reaches the driver: checks the port, communication and
    /// control states (errors 4019, 4020, 4021) and offers a refused message to the spool.
    virtual bool SendSECSTrans(const std::shared_ptr<SecsTransaction>& trans,
                               const std::string& ce_name) = 0;
    /// Reports the collection event `name`.
    virtual bool ReportEvent(const std::string& name) = 0;
    virtual void OpenPort() = 0;
    /// Applies the "HeartBeat" variable to the are-you-there timer.
    virtual void SetHeartBeat() = 0;
    /// Writes the protocol settings into the settings table of the database in use.
    virtual bool SaveProtocolSetting() = 0;
    virtual void ClosePort() = 0;
    /// Sends S1F13 as `GEMEstabComm::Connect("NULL", "NULL")`; false when refused.
    virtual bool RequestEstablish() = 0;
    /// Sends S1F1 as `GEMHeartBeat::AreYouThere`; false when refused.
    virtual bool RequestAreYouThere() = 0;
    /// Refreshes every area of a visible operator window; error 4005 without one.
    virtual bool RefreshGEMTool() = 0;

    // --- The database by name ------------------------------------------------------------------

    /// The value of GEM variable `name` as text ("NULL" when missing).
    std::string GemVar(const std::string& name) const;
    /// Writes the value of GEM variable `name`; false when the database refused.
    bool SetGemVar(const std::string& name, const Variant& value) const;
    /// The value of setting `name` as text ("NULL" when missing).
    std::string Setting(const std::string& name) const;
    void SetSetting(const std::string& name, const Variant& value) const;
};

/// Runs `body` under the context's error trap; a context that went away runs nothing.
template <typename Body>
void WithContext(const std::weak_ptr<GemContext>& context, const char* source, Body&& body) {
    if (auto locked = context.lock()) {
        RunTrapped(locked.get(), source, [&] { body(*locked); });
    }
}

}  // namespace kest
