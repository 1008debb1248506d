#include "ui/communication_state.h"

#include "base/error.h"
#include "control/kest_server.h"
#include "services/gem_estab_comm.h"
#include "ui/establish_timer.h"
#include "ui/status_texts.h"

namespace kest {

namespace {
constexpr const char* kNotCommunicating = "Not Communicating";
}  // namespace

CommunicationState::CommunicationState(std::weak_ptr<KestServer> control, frmMainFields& fields,
                                       EstablishTimer& timer)
    : control_(std::move(control)), fields_(fields), timer_(timer) {}

KestServer& CommunicationState::Control() const {
    auto control = control_.lock();
    if (!control) throw KestException(91, "Object variable or With block variable not set");
    return *control;  // the control owns the window that owns this, so it outlives the call
}

std::int32_t CommunicationState::Current() const {
    return StateNumber(Control().GemVar("CommState")).value_or(-1);
}

bool CommunicationState::Write(std::int32_t state) {
    if (!Control().SetGemVar("CommState", state)) return false;
    fields_.CommState = CommStateText(state);
    return true;
}

std::int32_t CommunicationState::RetrySeconds() const {
    return StateNumber(Control().GemVar("EstablishCommunicationTimeout")).value_or(0);
}

void CommunicationState::Start() {
    std::int32_t init = StateNumber(Control().GemVar("InitCommState")).value_or(0);
    Write(init != 0 ? 1 : 0);
}

void CommunicationState::Enable() {
    if (fields_.CommState == kNotCommunicating) {
        Attempt();
        return;
    }
    if (Current() != 2 && !Write(2)) return;
    timer_.Stop();
}

void CommunicationState::Disable() {
    if (Current() != 0 && !Write(0)) return;
    fields_.CommState = kNotCommunicating;
    timer_.Stop();
}

void CommunicationState::PortConnected() {
    std::int32_t state = Current();
    if (state != 1 && state != 2) return;  // disabled: the operator enables it
    fields_.CommState = kNotCommunicating;
    Attempt();
}

void CommunicationState::PortLost() {
    Disable();
}

void CommunicationState::Attempt() {
    timer_.Start();
    if (Current() == 1) return;  // already trying: the timer's next expiry sends S1F13
    if (Write(1)) SendS1F13();
}

void CommunicationState::SendS1F13() {
    // The attempt just made counts: the next retry comes one full interval later.
    timer_.Reload(RetrySeconds());
    Control().GEMEstabComm()->Connect("NULL", "NULL");
}

void CommunicationState::TimerExpired() {
    if (Current() != 1) {
        timer_.Stop();
        return;
    }
    SendS1F13();
}

void CommunicationState::Established() {
    if (Current() == 1) Write(2);
    timer_.Reload(RetrySeconds());
    timer_.Stop();
}

void CommunicationState::EstablishFailed() {
    switch (Current()) {
        case 0:
            timer_.Stop();
            break;
        case 2:
            if (Write(1)) timer_.Start();
            break;
        case 1:
            timer_.Start();
            break;
        default:
            break;
    }
}

void CommunicationState::EstablishTimedOut() {
    std::int32_t state = Current();
    if (state == 0) timer_.Stop();
    if (state == 1 || state == 2) timer_.Start();
}

void CommunicationState::HeartBeatLost() {
    EstablishFailed();  // the same three rows: 2 drops to 1, 1 retries, 0 stays quiet
}

}  // namespace kest
