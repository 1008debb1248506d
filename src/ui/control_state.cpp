#include "ui/control_state.h"

#include "base/error.h"
#include "control/kest_server.h"
#include "services/gem_heart_beat.h"
#include "ui/status_texts.h"

namespace kest {

namespace {

constexpr std::int32_t kEquipmentOffline = 1;
constexpr std::int32_t kAttemptOnline = 2;
constexpr std::int32_t kHostOffline = 3;
constexpr std::int32_t kOnlineLocal = 4;
constexpr std::int32_t kOnlineRemote = 5;

bool IsOnline(std::int32_t state) {
    return state == kOnlineLocal || state == kOnlineRemote;
}

bool IsOffline(std::int32_t state) {
    return state == kEquipmentOffline || state == kAttemptOnline || state == kHostOffline;
}

}  // namespace

ControlState::ControlState(std::weak_ptr<KestServer> control, frmMainFields& fields)
    : control_(std::move(control)), fields_(fields) {}

KestServer& ControlState::Control() const {
    auto control = control_.lock();
    if (!control) throw KestException(91, "Object variable or With block variable not set");
    return *control;  // the control owns the window that owns this, so it outlives the call
}

std::int32_t ControlState::Variable(const char* name) const {
    return StateNumber(Control().GemVar(name)).value_or(-1);
}

std::int32_t ControlState::OnlineChoice() const {
    return Variable("OnlineSubstate") == kOnlineRemote ? kOnlineRemote : kOnlineLocal;
}

std::int32_t ControlState::FailedChoice() const {
    return Variable("OnlineFailed") == kEquipmentOffline ? kEquipmentOffline : kHostOffline;
}

bool ControlState::Move(std::int32_t to, std::optional<std::int32_t> previous) {
    KestServer& control = Control();
    if (!control.SetGemVar("ControlState", to)) return false;
    // A refused "PreviousControlState" has been reported; the state itself has moved.
    if (previous) control.SetGemVar("PreviousControlState", *previous);
    fields_.ControlState = ControlStateText(to);
    return true;
}

void ControlState::MoveOnline(std::int32_t previous) {
    std::int32_t to = OnlineChoice();
    if (!Move(to, previous)) return;
    Control().ReportEvent(to == kOnlineRemote ? "GemControlStateREMOTE" : "GemControlStateLOCAL");
}

void ControlState::MoveOffline(std::int32_t to, std::int32_t previous) {
    if (Move(to, previous)) Control().ReportEvent("GemControlStateOFFLINE");
}

void ControlState::Start() {
    std::int32_t to = 0;
    if (Variable("InitControlState") == 1) {
        std::int32_t offline = Variable("OfflineSubstate");
        to = offline == kAttemptOnline || offline == kHostOffline ? offline : kEquipmentOffline;
    } else {
        to = OnlineChoice();
    }
    Move(to, std::nullopt);
}

void ControlState::SelectOffline() {
    std::int32_t from = Current();
    if (!IsOnline(from)) return;
    MoveOffline(Variable("OfflineSubstate") == kHostOffline ? kHostOffline : kEquipmentOffline,
                from);
}

void ControlState::SelectOnline() {
    if (!IsOffline(Current())) return;
    // Into attempt online the previous state stays what it was.
    if (!Move(kAttemptOnline, std::nullopt)) return;
    if (Variable("CommState") == 2 && Control().GEMHeartBeat()->AreYouThere()) return;
    // Not communicating, or the S1F1 was refused (reported): the attempt has failed.
    Move(FailedChoice(), kAttemptOnline);
}

void ControlState::SelectLocal() {
    if (Current() != kOnlineRemote) return;
    if (Move(kOnlineLocal, kOnlineRemote)) Control().ReportEvent("GemControlStateLOCAL");
}

void ControlState::SelectRemote() {
    if (Current() != kOnlineLocal) return;
    if (Move(kOnlineRemote, kOnlineLocal)) Control().ReportEvent("GemControlStateREMOTE");
}

void ControlState::HeartBeatAnswered() {
    if (Current() == kAttemptOnline) MoveOnline(kAttemptOnline);
}

void ControlState::HeartBeatFailed() {
    if (Current() == kAttemptOnline) Move(FailedChoice(), kAttemptOnline);
}

void ControlState::HostRequestOnline() {
    if (Current() == kHostOffline) MoveOnline(kHostOffline);
}

void ControlState::HostRequestOffline() {
    std::int32_t from = Current();
    if (from == kHostOffline || (!IsOnline(from) && !IsOffline(from))) return;
    MoveOffline(kHostOffline, from);
}

}  // namespace kest
