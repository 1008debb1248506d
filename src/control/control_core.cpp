#include "control/control_core.h"

#include <cassert>

#include "base/error.h"
#include "base/text.h"
#include "control/control_timers.h"
#include "control/database_watch.h"
#include "control/driver_events.h"
#include "control/limit_monitor.h"
#include "driver/vortel_tool.h"
#include "gemdb/gemdb.h"
#include "host/ed_primary_in.h"
#include "notify/log_lines.h"
#include "notify/service_log.h"
#include "services/gem_estab_comm.h"
#include "services/gem_heart_beat.h"
#include "settings/secs_initialize.h"
#include "settings/secs_protocol.h"
#include "ui/frm_main.h"
#include "ui/web_console.h"

namespace kest {

namespace {

constexpr const char* kCreationSource = "KestServer:UserControl_Initialize";
constexpr int kObjectNotSet = 91;  // "Object variable or With block variable not set"

[[noreturn]] void ThrowNotSet(int line = __builtin_LINE()) {
    throw KestException(kObjectNotSet, "Object variable or With block variable not set", line);
}

}  // namespace

std::shared_ptr<ControlCore> ControlCore::Create(asio::any_io_executor executor,
                                                 std::filesystem::path app_directory,
                                                 KestServerOptions options) {
    std::shared_ptr<ControlCore> server(
        new ControlCore(std::move(executor), std::move(app_directory), std::move(options)));
    server->Initialize();
    return server;
}

ControlCore::ControlCore(asio::any_io_executor executor, std::filesystem::path app_directory,
                         KestServerOptions options)
    : executor_(std::move(executor)),
      app_directory_(std::move(app_directory)),
      options_(std::move(options)),
      equipment_clock_(std::make_shared<EquipmentClock>(
          options_.clock ? options_.clock : SystemClock::Instance(),
          options_.set_system_time ? options_.set_system_time
          : options_.clock         ? EquipmentClock::BaseSetter()
                                   : EquipmentClock::BaseSetter(&SetSystemTime))),
      clock_(equipment_clock_),
      boxes_(options_.boxes ? options_.boxes : std::make_shared<StderrMessageBoxes>()),
      numbers_(clock_) {}

void ControlCore::Initialize() {
    loop_thread_ = std::this_thread::get_id();
    notifier_.OnListenerFailure([this](const char* notification, const TrappedError& error) {
        ListenerFailed(notification, error);
    });
    if (options_.listener) initial_subscription_ = notifier_.Subscribe(*options_.listener);
    // The driver is a child of the control: it exists whatever the database says.
    driver_ = options_.driver_factory ? options_.driver_factory(executor_)
                                      : VortelTool::Create(executor_, clock_);
    driver_events_ = std::make_shared<DriverEventsAdapter>(WeakSelf());
    driver_->SetEvents(driver_events_);

    log_ = std::make_unique<clsLogInfo>(app_directory_ / "Log", clock_);
    log_->SetFileName("KestTool");
    WriteLog(kStartBanner);
    window_.reset();
    last_error_ = KestError{};

    TryTrapped(this, kCreationSource, [&] { CreateOwnedObjects(); });
}

void ControlCore::CreateOwnedObjects() {
    gemdb_ = std::make_shared<kest::GEMDB>(app_directory_);
    // Attaching records the path in the database, so a missing file is told first: the box
    // is then the only thing the operator sees.
    if (!std::filesystem::exists(gemdb_->DBFile())) {
        boxes_->MessageBox("GEM Database [" + gemdb_->DBFile() + "] not found!", BoxKind::Warning);
        gemdb_.reset();  // every later use fails into its error trap (91)
        return;
    }
    gemdb_->SetParent(std::weak_ptr<GEMDBEvents>(Self()));
    WatchDatabase();

    LoadClockSetting();
    Variant purge = gemdb_->SettingGetField("AutoPurge", FLDID_SETTING::SET_VALUE);
    if (purge.ToText() != "NULL") log_->SetPurgeDuration(purge.ToInt32());

    gemdb_->LimitDeleteAttr(0, 0);
    gemdb_->EvtRptDelAll();
    gemdb_->EvtRptCopyDefault();
    gemdb_->SpoolEnableDefault();

    initialize_ = std::make_shared<kest::SECSInitialize>();
    initialize_->SetParent(WeakSelf());
    initialize_->SetAlarmEnableAll(true);
    initialize_->SetEventEnableAll(true);
    initialize_->SetSECSDictionaryFile((app_directory_ / "Default.xml").string());
    initialize_->SetSECSIILogFile((app_directory_ / "Log" / "SECSII.log").string());
    initialize_->SetSECSILogPath((app_directory_ / "Log").string());
    initialize_->SaveSetting();
    initialize_->LoadXMLDictionary();

    protocol_ = std::make_shared<kest::SECSProtocol>();
    protocol_->SetParent(WeakSelf());

    auto primary_in = std::make_shared<EDPrimaryIn>();
    primary_in->SetParent(WeakSelf());
    actions_.Add("EDPrimaryIn", primary_in);

    gem_timeout_ = 150;
    last_pass_ = clock_->Steady();
    limits_ = std::make_unique<LimitMonitor>();
    for (int i = 1; i <= 4; ++i)
        trace_timers_[static_cast<std::size_t>(i)] = {};
    trace_timers_loaded_ = 4;
    if (options_.run_timers) {
        timers_ = std::make_unique<ControlTimers>(executor_, WeakSelf());
        timers_->StartTimeout();
    }

    state_.SetSpool(GEM_SPOOLSTATE::SPOOL_INACTIVE);
    state_.SetSpoolUnload(GEM_SPOOLSTATE::SPOOL_NO_OUTPUT);
    state_.SetSpoolLoad(GEM_SPOOLSTATE::SPOOL_NOT_FULL);
    SetGemVar("SpoolCountTotal", 0);
    SetHeartBeat();
    created_ = true;
}

void ControlCore::LoadClockSetting() {
    if (!options_.offset_clock && !EqualsNoCase(Setting("EquipmentClock"), "OFFSET")) return;
    const Variant kept(Setting("EquipmentClockOffset"));
    const std::chrono::milliseconds offset(kept.IsNumeric() ? kept.ToInt64() : 0);
    equipment_clock_->UseOffset(offset, [weak = WeakSelf()](std::chrono::milliseconds moved) {
        if (auto self = weak.lock()) self->SetSetting("EquipmentClockOffset", moved.count());
    });
}

ControlCore::~ControlCore() {
    Destroy();
}

void ControlCore::Destroy() noexcept {
    TryTrapped(nullptr, "KestServer:UserControl_Terminate", [&] {
        console_.reset();  // its requests reach the control through the loop
        timers_.reset();   // cancels Timeout, the heartbeat and the trace timers
        if (gemdb_ && protocol_ && Setting("PortOpened") == "TRUE") protocol_->ClosePort();
        if (window_) {
            auto window = std::move(window_);  // unloading may forget the window itself
            window->SetAdminMode(true);
            window->Unload();
        }
        last_error_ = KestError{};
        actions_.Clear();
        commands_.Clear();
        trace_timers_loaded_ = 0;
        traces_.clear();
        spool_.clear();
        expected_.clear();
        initialize_.reset();
        protocol_.reset();
        database_watch_.reset();
        gemdb_.reset();
    });
    // The port and any listener close whatever "PortOpened" said.
    if (driver_) {
        TryTrapped(nullptr, "KestServer:UserControl_Terminate", [&] { driver_->ClosePort(); });
        driver_.reset();
    }
    TryTrapped(nullptr, "KestServer:UserControl_Terminate", [&] { WriteLog(kStopBanner); });
    log_.reset();
}

Subscription ControlCore::Subscribe(KestListener listener) {
    return notifier_.Subscribe(std::move(listener));
}

KestCommand ControlCore::GEMCommand() {
    return KestCommand(NewTID());
}

SecsDriver& ControlCore::VortelToolOCX() const {
    if (!driver_) ThrowNotSet();
    return *driver_;
}

kest::GEMDB& ControlCore::Db() const {
    if (!gemdb_) ThrowNotSet();
    return *gemdb_;
}

kest::SECSProtocol& ControlCore::Protocol() const {
    if (!protocol_) ThrowNotSet();
    return *protocol_;
}

kest::SECSInitialize& ControlCore::Initialize() const {
    if (!initialize_) ThrowNotSet();
    return *initialize_;
}

TraceTimerElement* ControlCore::TraceTime(int index) {
    if (index < 1 || index > trace_timers_loaded_) return nullptr;
    return &trace_timers_[static_cast<std::size_t>(index)];
}

void ControlCore::ApplyTraceTimer(int index) {
    if (timers_ && TraceTime(index)) timers_->ApplyTrace(index, *TraceTime(index));
}

void ControlCore::AddEDAction(std::shared_ptr<IEDAction> action) {
    actions_.Add(action);
}

void ControlCore::AddCommand(std::shared_ptr<KestCommand> command) {
    commands_.Add(std::move(command));
}

std::int32_t ControlCore::NewTID() {
    AssertLoopThread();
    return numbers_.Next(clock_->Now(), [this](std::int32_t tid) {
        return actions_.Contains(tid) || commands_.Contains(tid);
    });
}

void ControlCore::SetLogPath(const std::filesystem::path& directory) {
    if (log_) log_->SetPathName(directory);
}

void ControlCore::WriteLog(const std::string& text) {
    if (log_) log_->WriteLog(text);
}

void ControlCore::WatchDatabase() {
    // Only a control whose loop runs can follow the watch; otherwise every read checks.
    if (!options_.run_timers) return;
    try {
        database_watch_ = std::make_unique<DatabaseWatch>(executor_, gemdb_);
    } catch (const std::exception& e) {
        WriteLog(std::string("GEM database reads check for changes each time: ") + e.what());
    }
}

std::int32_t ControlCore::DeviceID() const {
    return Protocol().DeviceID();
}

void ControlCore::OpenPort() {
    Protocol().OpenPort();
}

void ControlCore::ClosePort() {
    Protocol().ClosePort();
}

bool ControlCore::SaveProtocolSetting() {
    return Protocol().SaveSetting();
}

bool ControlCore::RequestEstablish() {
    return GEMEstabComm()->Connect("NULL", "NULL");
}

bool ControlCore::RequestAreYouThere() {
    return GEMHeartBeat()->AreYouThere();
}

void ControlCore::AssertLoopThread() const noexcept {
    // The control is not locked: a call from another thread is a bug of the caller.
    assert(loop_thread_ == std::thread::id{} || loop_thread_ == std::this_thread::get_id());
}

void ControlCore::ListenerFailed(const char* notification, const TrappedError& error) {
    std::string source = std::string("KestServer:") + notification;
    if (raising_error_ > 0) {
        // A listener that fails on an error report is logged, not reported again (no loop).
        TryTrapped(nullptr, source, [&] {
            WriteLog(ErrorLogLine(KestError{source, error.number, error.text, error.line}));
        });
        return;
    }
    TriggerError(source, error.number, error.text, error.line);
}

}  // namespace kest
