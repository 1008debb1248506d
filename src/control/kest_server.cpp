#include "control/kest_server.h"

#include "base/error.h"
#include "control/control_timers.h"
#include "control/driver_events.h"
#include "control/limit_monitor.h"
#include "driver/vortel_tool.h"
#include "gemdb/gemdb.h"
#include "host/ed_primary_in.h"
#include "notify/log_lines.h"
#include "notify/service_log.h"
#include "services/transaction_number.h"
#include "settings/secs_initialize.h"
#include "settings/secs_protocol.h"
#include "ui/frm_main.h"

namespace kest {

namespace {

constexpr const char* kCreationSource = "KestServer:UserControl_Initialize";
constexpr int kObjectNotSet = 91;  // "Object variable or With block variable not set"

[[noreturn]] void ThrowNotSet(int line = __builtin_LINE()) {
    throw KestException(kObjectNotSet, "Object variable or With block variable not set", line);
}

}  // namespace

std::shared_ptr<KestServer> KestServer::Create(asio::any_io_executor executor,
                                               std::filesystem::path app_directory,
                                               KestServerOptions options) {
    std::shared_ptr<KestServer> server(
        new KestServer(std::move(executor), std::move(app_directory), std::move(options)));
    server->Initialize();
    return server;
}

KestServer::KestServer(asio::any_io_executor executor, std::filesystem::path app_directory,
                       KestServerOptions options)
    : executor_(std::move(executor)),
      app_directory_(std::move(app_directory)),
      options_(std::move(options)),
      clock_(options_.clock ? options_.clock : SystemClock::Instance()),
      boxes_(options_.boxes ? options_.boxes : std::make_shared<StderrMessageBoxes>()) {}

void KestServer::Initialize() {
    if (options_.listener) initial_subscription_ = notifier_.Subscribe(*options_.listener);
    // The driver is a child of the control: it exists whatever the database says.
    driver_ = options_.driver_factory ? options_.driver_factory(executor_)
                                      : VortelTool::Create(executor_, clock_);
    driver_events_ = std::make_shared<DriverEventsAdapter>(weak_from_this());
    driver_->SetEvents(driver_events_);

    log_ = std::make_unique<clsLogInfo>(app_directory_ / "Log", clock_);
    log_->SetFileName("KestTool");
    WriteLog(kStartBanner);
    window_.reset();
    last_error_ = KestError{};

    TryTrapped(this, kCreationSource, [&] { CreateOwnedObjects(); });
}

void KestServer::CreateOwnedObjects() {
    gemdb_ = std::make_shared<kest::GEMDB>(app_directory_);
    // Attaching records the path in the database, so a missing file is told first: the box
    // is then the only thing the operator sees.
    if (!std::filesystem::exists(gemdb_->DBFile())) {
        boxes_->MessageBox("GEM Database [" + gemdb_->DBFile() + "] not found!", BoxKind::Warning);
        gemdb_.reset();  // every later use fails into its error trap (91)
        return;
    }
    gemdb_->SetParent(std::weak_ptr<GEMDBEvents>(shared_from_this()));

    Variant purge = gemdb_->SettingGetField("AutoPurge", FLDID_SETTING::SET_VALUE);
    if (purge.ToText() != "NULL") log_->SetPurgeDuration(purge.ToInt32());

    gemdb_->LimitDeleteAttr(0, 0);
    gemdb_->EvtRptDelAll();
    gemdb_->EvtRptCopyDefault();
    gemdb_->SpoolEnableDefault();

    initialize_ = std::make_shared<kest::SECSInitialize>();
    initialize_->SetParent(weak_from_this());
    initialize_->SetAlarmEnableAll(true);
    initialize_->SetEventEnableAll(true);
    initialize_->SetSECSDictionaryFile((app_directory_ / "Default.xml").string());
    initialize_->SetSECSIILogFile((app_directory_ / "Log" / "SECSII.log").string());
    initialize_->SetSECSILogPath((app_directory_ / "Log").string());
    initialize_->SaveSetting();
    initialize_->LoadXMLDictionary();

    protocol_ = std::make_shared<kest::SECSProtocol>();
    protocol_->SetParent(weak_from_this());

    auto primary_in = std::make_shared<EDPrimaryIn>();
    primary_in->SetParent(weak_from_this());
    actions_.Add("EDPrimaryIn", primary_in);

    gem_timeout_ = 150;
    last_tick_ = FormatLocal(clock_->Now(), "hh:nn:ss");
    limits_ = std::make_unique<LimitMonitor>();
    for (int i = 1; i <= 4; ++i)
        trace_timers_[static_cast<std::size_t>(i)] = {};
    trace_timers_loaded_ = 4;
    if (options_.run_timers) {
        timers_ = std::make_unique<ControlTimers>(executor_, weak_from_this());
        timers_->StartTimeout();
    }

    SetGemVar("SpoolState", 2);
    SetGemVar("SpoolUnloadSubstate", 5);
    SetGemVar("SpoolLoadSubstate", 6);
    SetGemVar("SpoolCountTotal", 0);
    SetHeartBeat();
    created_ = true;
}

KestServer::~KestServer() {
    Destroy();
}

void KestServer::Destroy() noexcept {
    TryTrapped(nullptr, "KestServer:UserControl_Terminate", [&] {
        timers_.reset();  // cancels Timeout, the heartbeat and the trace timers
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

Subscription KestServer::Subscribe(KestListener listener) {
    return notifier_.Subscribe(std::move(listener));
}

KestCommand KestServer::GEMCommand() const {
    return KestCommand(TransactionNumbers::Shared().Next(clock_->Now(), {}));
}

SecsDriver& KestServer::VortelToolOCX() const {
    if (!driver_) ThrowNotSet();
    return *driver_;
}

kest::GEMDB& KestServer::Db() const {
    if (!gemdb_) ThrowNotSet();
    return *gemdb_;
}

kest::SECSProtocol& KestServer::Protocol() const {
    if (!protocol_) ThrowNotSet();
    return *protocol_;
}

kest::SECSInitialize& KestServer::Initialize() const {
    if (!initialize_) ThrowNotSet();
    return *initialize_;
}

TraceTimerElement* KestServer::TraceTime(int index) {
    if (index < 1 || index > trace_timers_loaded_) return nullptr;
    return &trace_timers_[static_cast<std::size_t>(index)];
}

void KestServer::ApplyTraceTimer(int index) {
    if (timers_ && TraceTime(index)) timers_->ApplyTrace(index, *TraceTime(index));
}

void KestServer::AddEDAction(std::shared_ptr<IEDAction> action) {
    actions_.Add(action);
}

void KestServer::AddCommand(std::shared_ptr<KestCommand> command) {
    commands_.Add(std::move(command));
}

std::int32_t KestServer::NewTID() {
    return TransactionNumbers::Shared().Next(clock_->Now(), [this](std::int32_t tid) {
        return actions_.Contains(tid) || commands_.Contains(tid);
    });
}

void KestServer::SetLogPath(const std::filesystem::path& directory) {
    if (log_) log_->SetPathName(directory);
}

void KestServer::WriteLog(const std::string& text) {
    if (log_) log_->WriteLog(text);
}

std::string KestServer::GemVar(const std::string& name) const {
    return Db().VariableGetField(name, FLDID_VARIABLE::VAR_VAL, true).ToText();
}

bool KestServer::SetGemVar(const std::string& name, const Variant& value) const {
    return Db().VariableSetField(name, FLDID_VARIABLE::VAR_VAL, value, true);
}

std::string KestServer::Setting(const std::string& name) const {
    return Db().SettingGetField(name, FLDID_SETTING::SET_VALUE).ToText();
}

void KestServer::SetSetting(const std::string& name, const Variant& value) const {
    Db().SettingSetField(name, FLDID_SETTING::SET_VALUE, value);
}

}  // namespace kest
