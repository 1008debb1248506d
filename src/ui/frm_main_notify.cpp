// The operator window's notification handlers: the inputs of the state machines, and the
// displays that follow the control's events.
#include "control/kest_server.h"
#include "ui/communication_state.h"
#include "ui/control_state.h"
#include "ui/frm_main.h"
#include "ui/status_areas.h"
#include "ui/status_texts.h"

namespace kest {

namespace {
// Result lines kept for the view; older ones are in the service log as event lines.
constexpr std::size_t kMaxResults = 1000;
}  // namespace

void frmMain::moGEMServer_EventNotification(const KestEvent& event) {
    Trapped("moGEMServer_EventNotification", [&](KestServer& control) {
        if (!communication_) return;
        const std::string& service = event.ServiceName;
        const std::string& name = event.EventName;
        if (name == "StateChanged") {
            OnStateChanged(control, event);
        } else if (service == "SECSProtocol") {
            OnProtocolEvent(control, event);
        } else if (service == "GEMEstabComm" && name == "CommEstablished") {
            communication_->Established();
        } else if (service == "GEMEstabComm" && name == "GEMTimeout") {
            communication_->EstablishTimedOut();
        } else if (service == "GEMHeartBeat" && name == "GEMTimeout") {
            communication_->HeartBeatLost();
            control_state_->HeartBeatFailed();
        } else if (service == "GEMControl" && name == "RequestOnline") {
            control_state_->HostRequestOnline();
            ShowAllStatus(control, fields_);
            ShowSpoolStatus(control, fields_);
        } else if (service == "GEMControl" && name == "RequestOffline") {
            control_state_->HostRequestOffline();
            ShowAllStatus(control, fields_);
            ShowSpoolStatus(control, fields_);
        } else if (service == "GEMTrace") {
            fields_.Traces = ListTraces(control);
        }
        if (name == "GEMTimeout") OnTimeout(event);
    });
}

void frmMain::moGEMServer_MethodNotification(const KestMethod& method) {
    Trapped("moGEMServer_MethodNotification", [&](KestServer&) {
        if (!communication_) return;
        if (method.ServiceName == "GEMEstabComm" && method.MethodName == "Connect") {
            if (method.Output("CommEstablished").ToBool()) {
                communication_->Established();
            } else {
                communication_->EstablishFailed();
            }
        } else if (method.ServiceName == "GEMHeartBeat" && method.MethodName == "AreYouThere") {
            if (method.Output("Online").ToBool()) {
                control_state_->HeartBeatAnswered();
            } else {
                communication_->HeartBeatLost();
                control_state_->HeartBeatFailed();
            }
        }
    });
}

void frmMain::OnProtocolEvent(KestServer& control, const KestEvent& event) {
    ShowConnection(control, fields_);
    if (event.EventName == "Connect") communication_->PortConnected();
    if (event.EventName == "Disconnect") communication_->PortLost();
}

void frmMain::OnStateChanged(KestServer& control, const KestEvent& event) {
    // Whoever wrote the variable (the control after a link failure or a lost alarm, the
    // application), the field follows it: the window decides transitions from what it shows.
    if (event.ServiceName == "GEMCommunication") {
        fields_.CommState = CommStateText(StateNumber(control.GemVar("CommState")).value_or(-1));
    } else if (event.ServiceName == "GEMControl") {
        fields_.ControlState =
            ControlStateText(StateNumber(control.GemVar("ControlState")).value_or(-1));
    } else if (event.ServiceName == "GEMSpool") {
        ShowSpoolStatus(control, fields_);
    }
}

void frmMain::OnTimeout(const KestEvent& event) {
    Variant method = event.Output("MethodName");
    AddResult((method.IsEmpty() ? event.ServiceName : method.ToText()) + " timeout occured.");
}

void frmMain::AddResult(std::string line) {
    if (fields_.Results.size() >= kMaxResults) fields_.Results.erase(fields_.Results.begin());
    fields_.Results.push_back(std::move(line));
}

}  // namespace kest
