// The operator window's life cycle, the operator's switches and the establish timer.
#include "ui/frm_main.h"

#include "control/kest_server.h"
#include "notify/error_trap.h"
#include "settings/secs_protocol.h"
#include "ui/communication_state.h"
#include "ui/control_state.h"
#include "ui/establish_timer.h"
#include "ui/status_areas.h"

namespace kest {

frmMain::frmMain() = default;
frmMain::~frmMain() = default;

void frmMain::Trapped(const char* procedure, const std::function<void(KestServer&)>& body) {
    // A handler may end up unloading this window (an application listener that stops the
    // tool); it stays alive until the handler returns.
    auto self = weak_from_this().lock();
    auto control = GetParent();
    if (!control) return;
    TryTrapped(control.get(), std::string("frmMain:") + procedure, [&] { body(*control); });
}

void frmMain::Load() {
    admin_mode_ = false;
    Record("Load");
    Trapped("Form_Load", [&](KestServer& control) {
        StartStateModel(control);
        communication_->Start();
        control_state_->Start();
        timer_->MarkSecond();
        RefreshEveryArea(control);
        if (control.Setting("PortOpenAtStartUp") == "TRUE") control.Protocol().OpenPort();
        ShowConnection(control, fields_);
        control.FireEvent(KestEvent("KestTool", "Load"));
    });
}

void frmMain::StartStateModel(KestServer& control) {
    // A notification already under way when the window goes away must not reach it.
    std::weak_ptr<int> alive = alive_;
    subscription_ = control.Subscribe(KestListener{
        .MethodNotification =
            [this, alive](const KestMethod& m) {
                if (!alive.expired()) moGEMServer_MethodNotification(m);
            },
        .EventNotification =
            [this, alive](const KestEvent& e) {
                if (!alive.expired()) moGEMServer_EventNotification(e);
            },
    });
    timer_ = std::make_unique<EstablishTimer>(control.GetClock(), [this] {
        Trapped("tmrEstablishComm_Timer", [&](KestServer&) {
            if (communication_) communication_->TimerExpired();
        });
    });
    if (control.RunsTimers()) timer_->RunOn(control.Executor());
    communication_ = std::make_unique<CommunicationState>(parent_, fields_, *timer_);
    control_state_ = std::make_unique<ControlState>(parent_, fields_);
}

void frmMain::RefreshEveryArea(KestServer& control) {
    // The administrator and settings areas belong to the settings tabs.
    ShowSpoolStatus(control, fields_);
    fields_.EnabledEvents = ListEnabledEvents(control);
    fields_.EnabledAlarms = ListEnabledAlarms(control);
    fields_.SetAlarms = ListSetAlarms(control);
    fields_.Traces = ListTraces(control);
    fields_.Limits = ListLimits(control);
    ShowAllStatus(control, fields_);
}

void frmMain::Unload() {
    auto self = weak_from_this().lock();  // the control may drop its reference meanwhile
    visible_ = false;
    Record("Unload");
    if (timer_) timer_->Stop();
    Trapped("Form_Unload", [&](KestServer& control) {
        if (control.Setting("PortOpened") == "TRUE") control.Protocol().ClosePort();
        control.FireEvent(KestEvent("KestTool", "Unload"));
        if (control.FrmGEMTool() == this) control.ResetGEMTool();
    });
    subscription_.Cancel();
    control_state_.reset();
    communication_.reset();
    timer_.reset();
    parent_.reset();
}

bool frmMain::Close() {
    bool closed = false;
    Trapped("Form_QueryUnload", [&](KestServer& control) {
        if (!admin_mode_) {
            control.Boxes().MessageBox("You only allow to exit in Administrator Mode!",
                                       BoxKind::Warning);
            return;
        }
        closed = true;
    });
    if (closed) Unload();
    return closed;
}

void frmMain::Show(bool modal) {
    visible_ = true;
    modal_ = modal;
    Record(modal ? "Show modal" : "Show modeless");
}

void frmMain::Hide() {
    visible_ = false;
    Record("Hide");
}

void frmMain::EnableCommunication() {
    Trapped("EnableCommunication", [&](KestServer&) {
        if (communication_) communication_->Enable();
    });
}

void frmMain::DisableCommunication() {
    Trapped("DisableCommunication", [&](KestServer&) {
        if (communication_) communication_->Disable();
    });
}

void frmMain::GoOffline() {
    Trapped("GoOffline", [&](KestServer&) {
        if (control_state_) control_state_->SelectOffline();
    });
}

void frmMain::GoOnline() {
    Trapped("GoOnline", [&](KestServer&) {
        if (control_state_) control_state_->SelectOnline();
    });
}

void frmMain::GoLocal() {
    Trapped("GoLocal", [&](KestServer&) {
        if (control_state_) control_state_->SelectLocal();
    });
}

void frmMain::GoRemote() {
    Trapped("GoRemote", [&](KestServer&) {
        if (control_state_) control_state_->SelectRemote();
    });
}

void frmMain::EstablishTick() {
    if (timer_) timer_->Tick();
}

bool frmMain::EstablishTimerRunning() const noexcept {
    return timer_ && timer_->Running();
}

std::int32_t frmMain::EstablishCountdown() const noexcept {
    return timer_ ? timer_->Countdown() : 0;
}

}  // namespace kest
