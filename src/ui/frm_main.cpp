// The operator window's life cycle, the operator's switches and the establish timer.
#include "ui/frm_main.h"

#include "core/establish_timer.h"
#include "core/gem_context.h"
#include "core/state_model.h"
#include "notify/error_trap.h"
#include "ui/status_areas.h"

namespace kest {

frmMain::frmMain() = default;
frmMain::~frmMain() = default;

void frmMain::Trapped(const char* procedure, const std::function<void(GemContext&)>& body) {
    // A handler may end up unloading this window (an application listener that stops the
    // tool); it stays alive until the handler returns.
    auto self = weak_from_this().lock();
    auto control = GetParent();
    if (!control) return;
    TryTrapped(control.get(), std::string("frmMain:") + procedure, [&] { body(*control); });
}

void frmMain::Load() {
    admin_mode_ = false;
    Trapped("Form_Load", [&](GemContext& control) {
        loaded_ = true;
        Observe(control);
        RefreshEveryArea(control);
        if (control.Setting("PortOpenAtStartUp") == "TRUE") control.OpenPort();
        ShowConnection(control, fields_);
        control.FireEvent(KestEvent("KestTool", "Load"));
    });
}

void frmMain::Observe(GemContext& control) {
    // A notification already under way when the window goes away must not reach it.
    std::weak_ptr<int> alive = alive_;
    watch_ = control.State().Watch([this, alive](StateAspect aspect) {
        if (alive.expired()) return;
        Trapped("moGEMServer_EventNotification",
                [&](GemContext& context) { OnStateMoved(context, aspect); });
    });
    // The machines first, then the window's own listener: it shows what they made of a
    // notification.
    control.State().Attach();
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
}

void frmMain::RefreshEveryArea(GemContext& control) {
    RefreshAdminMode();
    RefreshAllSetting();
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
    Trapped("Form_Unload", [&](GemContext& control) {
        if (!loaded_) return;
        control.State().StopEstablishing();
        if (control.Setting("PortOpened") == "TRUE") control.ClosePort();
        control.FireEvent(KestEvent("KestTool", "Unload"));
    });
    if (on_unload_) on_unload_(*this);
    subscription_.Cancel();
    if (auto control = GetParent(); control && loaded_) control->State().Detach();
    watch_.reset();
    loaded_ = false;
    parent_.reset();
}

bool frmMain::Close() {
    bool closed = false;
    Trapped("Form_QueryUnload", [&](GemContext& control) {
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
}

void frmMain::Hide() {
    visible_ = false;
}

void frmMain::EnableCommunication() {
    Trapped("EnableCommunication", [&](GemContext& c) { c.State().EnableCommunication(); });
}

void frmMain::DisableCommunication() {
    Trapped("DisableCommunication", [&](GemContext& c) { c.State().DisableCommunication(); });
}

void frmMain::GoOffline() {
    Trapped("GoOffline", [&](GemContext& c) { c.State().SelectOffline(); });
}

void frmMain::GoOnline() {
    Trapped("GoOnline", [&](GemContext& c) { c.State().SelectOnline(); });
}

void frmMain::GoLocal() {
    Trapped("GoLocal", [&](GemContext& c) { c.State().SelectLocal(); });
}

void frmMain::GoRemote() {
    Trapped("GoRemote", [&](GemContext& c) { c.State().SelectRemote(); });
}

void frmMain::EstablishTick() {
    if (auto control = GetParent(); control && loaded_) control->State().EstablishTick();
}

bool frmMain::EstablishTimerRunning() const noexcept {
    auto control = GetParent();
    const EstablishTimer* timer = control && loaded_ ? control->State().Timer() : nullptr;
    return timer && timer->Running();
}

std::int32_t frmMain::EstablishCountdown() const noexcept {
    auto control = GetParent();
    const EstablishTimer* timer = control && loaded_ ? control->State().Timer() : nullptr;
    return timer ? timer->Countdown() : 0;
}

}  // namespace kest
