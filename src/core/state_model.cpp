// The GEM communication, control and spool states: typed reads, and one transition function a
// machine that writes the state variable, moves the display and reports the collection events.
#include "core/state_model.h"

#include "base/text.h"
#include "core/gem_context.h"
#include "notify/error_trap.h"

namespace kest {

namespace {

using CS = GEM_COMMSTATE;
using Ctl = GEM_CONTROLSTATE;

// The machines ran in the operator window once; their errors keep the window's sources.
constexpr const char* kEventSource = "frmMain:moGEMServer_EventNotification";
constexpr const char* kMethodSource = "frmMain:moGEMServer_MethodNotification";
constexpr const char* kTimerSource = "frmMain:tmrEstablishComm_Timer";

constexpr std::int32_t ToNumber(auto state) {
    return static_cast<std::int32_t>(state);
}

bool IsOnline(Ctl state) {
    return state == Ctl::ONLINE_LOCAL || state == Ctl::ONLINE_REMOTE;
}

bool IsOffline(Ctl state) {
    return state == Ctl::EQUIP_OFFLINE || state == Ctl::ATTEMPT_ONLINE ||
           state == Ctl::HOST_OFFLINE;
}

bool Is(const KestEvent& event, std::string_view service, std::string_view name) {
    return event.ServiceName == service && event.EventName == name;
}

}  // namespace

std::optional<std::int32_t> StateNumber(std::string_view text) {
    std::optional<NumericText> number = ParseNumeric(text);
    if (!number || !number->integral || !number->magnitude_exact) return std::nullopt;
    if (number->magnitude > 2147483647U) return std::nullopt;
    auto magnitude = static_cast<std::int32_t>(number->magnitude);
    return number->negative ? -magnitude : magnitude;
}

GemStateModel::GemStateModel(GemContext& context) : context_(context) {}

GemStateModel::~GemStateModel() = default;

std::int32_t GemStateModel::Number(const char* name) const {
    return StateNumber(context_.GemVar(name)).value_or(-1);
}

GEM_COMMSTATE GemStateModel::Comm() const {
    return static_cast<CS>(Number("CommState"));
}

GEM_CONTROLSTATE GemStateModel::Control() const {
    return static_cast<Ctl>(Number("ControlState"));
}

bool GemStateModel::Online() const {
    return IsOnline(Control());
}

GEM_SPOOLSTATE GemStateModel::Spool() const {
    return static_cast<GEM_SPOOLSTATE>(Number("SpoolState"));
}

GEM_SPOOLSTATE GemStateModel::SpoolLoad() const {
    return static_cast<GEM_SPOOLSTATE>(Number("SpoolLoadSubstate"));
}

GEM_SPOOLSTATE GemStateModel::SpoolUnload() const {
    return static_cast<GEM_SPOOLSTATE>(Number("SpoolUnloadSubstate"));
}

// --- Life cycle and inputs ----------------------------------------------------------------------

void GemStateModel::Attach() {
    // The subscription takes the window's old place among the listeners, so the application
    // hears a notification before the transitions it causes.
    subscription_ = context_.Subscribe(KestListener{
        .MethodNotification = [this](const KestMethod& m) { Follow(m); },
        .EventNotification = [this](const KestEvent& e) { Follow(e); },
    });
    timer_ = std::make_unique<EstablishTimer>(
        context_.GetClock(), [this] { Trapped(kTimerSource, [&] { EstablishExpired(); }); });
    if (context_.RunsTimers()) timer_->RunOn(context_.Executor());
    StartComm();
    StartControl();
    timer_->MarkSecond();
}

void GemStateModel::StopEstablishing() {
    if (timer_) timer_->Stop();
}

void GemStateModel::Detach() {
    subscription_.Cancel();
    timer_.reset();
}

void GemStateModel::Trapped(const char* procedure, const std::function<void()>& body) {
    TryTrapped(&context_, procedure, body);
}

void GemStateModel::Follow(const KestEvent& event) {
    Trapped(kEventSource, [&] {
        if (event.EventName == "StateChanged") {
            // Whoever wrote the variable, the display follows it.
            if (event.ServiceName == "GEMCommunication") ShowComm(Comm() == CS::ENABLE_COMM);
            if (event.ServiceName == "GEMControl") Changed(StateAspect::Control);
            if (event.ServiceName == "GEMSpool") Changed(StateAspect::Spool);
        } else if (Is(event, "SECSProtocol", "Connect")) {
            PortConnected();
        } else if (Is(event, "SECSProtocol", "Disconnect")) {
            DisableCommunication();
        } else if (Is(event, "GEMEstabComm", "CommEstablished")) {
            Established();
        } else if (Is(event, "GEMEstabComm", "GEMTimeout")) {
            EstablishTimedOut();
        } else if (Is(event, "GEMHeartBeat", "GEMTimeout")) {
            EstablishFailed();
            HeartBeatFailed();
        } else if (Is(event, "GEMControl", "RequestOnline")) {
            HostRequestOnline();
        } else if (Is(event, "GEMControl", "RequestOffline")) {
            HostRequestOffline();
        }
    });
}

void GemStateModel::Follow(const KestMethod& method) {
    Trapped(kMethodSource, [&] {
        if (method.ServiceName == "GEMEstabComm" && method.MethodName == "Connect") {
            if (method.Output("CommEstablished").ToBool()) {
                Established();
            } else {
                EstablishFailed();
            }
        } else if (method.ServiceName == "GEMHeartBeat" && method.MethodName == "AreYouThere") {
            if (method.Output("Online").ToBool()) {
                HeartBeatAnswered();
            } else {
                EstablishFailed();  // an are-you-there that failed drops communication alike
                HeartBeatFailed();
            }
        }
    });
}

std::shared_ptr<void> GemStateModel::Watch(Observer observer) {
    auto shared = std::make_shared<Observer>(std::move(observer));
    std::erase_if(observers_, [](const auto& o) { return o.expired(); });
    observers_.push_back(shared);
    return shared;
}

void GemStateModel::Changed(StateAspect aspect) {
    auto observers = observers_;  // an observer may stop watching from inside its call
    for (const auto& weak : observers) {
        if (auto observer = weak.lock()) (*observer)(aspect);
    }
}

// --- Communication ----------------------------------------------------------------------------

bool GemStateModel::WriteComm(CS state) {
    if (!context_.SetGemVar("CommState", ToNumber(state))) return false;
    ShowComm(state == CS::ENABLE_COMM);
    return true;
}

void GemStateModel::ShowComm(bool communicating) {
    shows_communicating_ = communicating;
    Changed(StateAspect::Communication);
}

std::int32_t GemStateModel::RetrySeconds() const {
    return StateNumber(context_.GemVar("EstablishCommunicationTimeout")).value_or(0);
}

void GemStateModel::StartComm() {
    bool enabled = StateNumber(context_.GemVar("InitCommState")).value_or(0) != 0;
    WriteComm(enabled ? CS::ENABLE_NOT_COMM : CS::DISABLE);
}

void GemStateModel::EnableCommunication() {
    if (!timer_) return;
    if (!shows_communicating_) {
        Attempt();
        return;
    }
    if (Comm() != CS::ENABLE_COMM && !WriteComm(CS::ENABLE_COMM)) return;
    timer_->Stop();
}

void GemStateModel::DisableCommunication() {
    if (!timer_) return;
    if (Comm() != CS::DISABLE && !WriteComm(CS::DISABLE)) return;
    ShowComm(false);
    timer_->Stop();
}

void GemStateModel::CommunicationFailed() {
    context_.SetGemVar("CommState", ToNumber(CS::ENABLE_NOT_COMM));
    ShowComm(false);
}

void GemStateModel::PortConnected() {
    CS state = Comm();
    if (state != CS::ENABLE_NOT_COMM && state != CS::ENABLE_COMM) return;  // the operator
    ShowComm(false);
    Attempt();
}

void GemStateModel::Attempt() {
    timer_->Start();
    if (Comm() == CS::ENABLE_NOT_COMM) return;  // already trying: the timer retries
    if (WriteComm(CS::ENABLE_NOT_COMM)) SendS1F13();
}

void GemStateModel::SendS1F13() {
    // The attempt just made counts: the next retry comes one full interval later.
    timer_->Reload(RetrySeconds());
    context_.RequestEstablish();
}

void GemStateModel::EstablishTick() {
    if (timer_) timer_->Tick();
}

void GemStateModel::EstablishExpired() {
    if (Comm() != CS::ENABLE_NOT_COMM) {
        timer_->Stop();
        return;
    }
    SendS1F13();
}

void GemStateModel::Established() {
    if (Comm() == CS::ENABLE_NOT_COMM) WriteComm(CS::ENABLE_COMM);
    timer_->Reload(RetrySeconds());
    timer_->Stop();
}

void GemStateModel::EstablishFailed() {
    switch (Comm()) {
        case CS::DISABLE:
            timer_->Stop();
            break;
        case CS::ENABLE_COMM:
            if (WriteComm(CS::ENABLE_NOT_COMM)) timer_->Start();
            break;
        case CS::ENABLE_NOT_COMM:
            timer_->Start();
            break;
    }
}

void GemStateModel::EstablishTimedOut() {
    CS state = Comm();
    if (state == CS::DISABLE) timer_->Stop();
    if (state == CS::ENABLE_NOT_COMM || state == CS::ENABLE_COMM) timer_->Start();
}

// --- Control ------------------------------------------------------------------------------------

GEM_CONTROLSTATE GemStateModel::OnlineChoice() const {
    return Number("OnlineSubstate") == ToNumber(Ctl::ONLINE_REMOTE) ? Ctl::ONLINE_REMOTE
                                                                    : Ctl::ONLINE_LOCAL;
}

GEM_CONTROLSTATE GemStateModel::FailedChoice() const {
    return Number("OnlineFailed") == ToNumber(Ctl::EQUIP_OFFLINE) ? Ctl::EQUIP_OFFLINE
                                                                  : Ctl::HOST_OFFLINE;
}

bool GemStateModel::MoveControl(Ctl to, std::optional<Ctl> previous) {
    if (!context_.SetGemVar("ControlState", ToNumber(to))) return false;
    // A refused "PreviousControlState" has been reported; the state itself has moved.
    if (previous) context_.SetGemVar("PreviousControlState", ToNumber(*previous));
    Changed(StateAspect::Control);
    return true;
}

void GemStateModel::MoveOnline(Ctl previous) {
    Ctl to = OnlineChoice();
    if (!MoveControl(to, previous)) return;
    context_.ReportEvent(to == Ctl::ONLINE_REMOTE ? "GemControlStateREMOTE"
                                                  : "GemControlStateLOCAL");
}

void GemStateModel::MoveOffline(Ctl to, Ctl previous) {
    if (MoveControl(to, previous)) context_.ReportEvent("GemControlStateOFFLINE");
}

void GemStateModel::StartControl() {
    Ctl to{};
    if (Number("InitControlState") == ToNumber(GEM_INITCONTROLSTATE::OFFLINE)) {
        auto offline = static_cast<Ctl>(Number("OfflineSubstate"));
        to = offline == Ctl::ATTEMPT_ONLINE || offline == Ctl::HOST_OFFLINE ? offline
                                                                            : Ctl::EQUIP_OFFLINE;
    } else {
        to = OnlineChoice();
    }
    MoveControl(to, std::nullopt);
}

void GemStateModel::SelectOffline() {
    if (!timer_) return;
    Ctl from = Control();
    if (!IsOnline(from)) return;
    MoveOffline(Number("OfflineSubstate") == ToNumber(Ctl::HOST_OFFLINE) ? Ctl::HOST_OFFLINE
                                                                         : Ctl::EQUIP_OFFLINE,
                from);
}

void GemStateModel::SelectOnline() {
    if (!timer_ || !IsOffline(Control())) return;
    // Into attempt online the previous state stays what it was.
    if (!MoveControl(Ctl::ATTEMPT_ONLINE, std::nullopt)) return;
    if (Comm() == CS::ENABLE_COMM && context_.RequestAreYouThere()) return;
    // Not communicating, or the S1F1 was refused (reported): the attempt has failed.
    MoveControl(FailedChoice(), Ctl::ATTEMPT_ONLINE);
}

void GemStateModel::SelectLocal() {
    if (!timer_ || Control() != Ctl::ONLINE_REMOTE) return;
    if (MoveControl(Ctl::ONLINE_LOCAL, Ctl::ONLINE_REMOTE)) {
        context_.ReportEvent("GemControlStateLOCAL");
    }
}

void GemStateModel::SelectRemote() {
    if (!timer_ || Control() != Ctl::ONLINE_LOCAL) return;
    if (MoveControl(Ctl::ONLINE_REMOTE, Ctl::ONLINE_LOCAL)) {
        context_.ReportEvent("GemControlStateREMOTE");
    }
}

void GemStateModel::HeartBeatAnswered() {
    if (Control() == Ctl::ATTEMPT_ONLINE) MoveOnline(Ctl::ATTEMPT_ONLINE);
}

void GemStateModel::HeartBeatFailed() {
    if (Control() == Ctl::ATTEMPT_ONLINE) MoveControl(FailedChoice(), Ctl::ATTEMPT_ONLINE);
}

void GemStateModel::HostRequestOnline() {
    if (Control() == Ctl::HOST_OFFLINE) MoveOnline(Ctl::HOST_OFFLINE);
}

void GemStateModel::HostRequestOffline() {
    Ctl from = Control();
    if (from == Ctl::HOST_OFFLINE || (!IsOnline(from) && !IsOffline(from))) return;
    MoveOffline(Ctl::HOST_OFFLINE, from);
}

void GemStateModel::AlarmLost() {
    if (!context_.SetGemVar("ControlState", ToNumber(Ctl::HOST_OFFLINE))) return;
    Changed(StateAspect::Control);
    context_.RefreshGEMTool();
    context_.ReportEvent("GemControlStateOFFLINE");
}

// --- Spool
// ----------------------------------------------------------------------------------------

bool GemStateModel::SetSpool(GEM_SPOOLSTATE state) {
    return context_.SetGemVar("SpoolState", ToNumber(state));
}

bool GemStateModel::SetSpoolLoad(GEM_SPOOLSTATE substate) {
    return context_.SetGemVar("SpoolLoadSubstate", ToNumber(substate));
}

bool GemStateModel::SetSpoolUnload(GEM_SPOOLSTATE substate) {
    return context_.SetGemVar("SpoolUnloadSubstate", ToNumber(substate));
}

void GemStateModel::SpoolChanged() {
    Changed(StateAspect::Spool);
}

}  // namespace kest
