// The switchboard between the driver and the rest of the control: the send routine every
// outgoing primary passes, and the handlers of the driver's five events.
#include <array>

#include "control/control_core.h"
#include "driver/driver_errors.h"
#include "driver/secs_transaction.h"
#include "secs/build.h"
#include "services/stream9.h"

namespace kest {

namespace {

// Events the send routine lets through whatever the control state.
constexpr std::array<const char*, 6> kStateEvents{
    "GemControlStateLOCAL", "GemControlStateREMOTE",   "GemControlStateOFFLINE",
    "GemSpoolingActivated", "GemSpoolTransmitFailure", "GemSpoolingDeactivated"};

bool IsStateEvent(const std::string& ce_name) {
    for (const char* name : kStateEvents) {
        if (ce_name == name) return true;
    }
    return false;
}

KestEvent ProtocolEvent(const char* name) {
    return KestEvent("SECSProtocol", name);
}

}  // namespace

bool ControlCore::SendSECSTrans(const std::shared_ptr<SecsTransaction>& trans,
                                const std::string& ce_name) {
    const char* source = "KestServer:SendSECSTrans";
    AssertLoopThread();
    return RunTrapped(this, source, [&] {
        SecsMessage& primary = trans->Primary();
        if (primary.Name() == "S5F1") {
            const SecsItem& body = primary.Item(1);
            alarm_set_ = body.Item(1).Value().ToText() == "128";
            latest_alarm_id_ = body.Item(2).Value().ToText();
            latest_alarm_text_ = body.Item(3).Value().ToText();
        }
        bool refused = true;
        if (Setting("PortOpened") != "TRUE") {
            TriggerError(source, 4019, "Invalid port connect state to perform this task.",
                         __LINE__);
        } else if (state_.Comm() != GEM_COMMSTATE::ENABLE_COMM) {
            TriggerError(source, 4020, "Invalid communication state to perform this task.",
                         __LINE__);
        } else if (!state_.Online() && !IsStateEvent(ce_name)) {
            TriggerError(source, 4021, "Invalid control state to perform this task.", __LINE__);
        } else {
            refused = false;
        }
        if (refused) {
            SpoolOffer(trans);
            return false;
        }
        // A message the transport cannot take is reported by the driver (error 2015).
        return trans->Send();
    });
}

void ControlCore::VortelTool1_Connect() {
    RunTrapped(this, "KestServer:VortelTool1_Connect", [&] {
        SetSetting("PortOpened", "TRUE");
        FireEvent(ProtocolEvent("Connect"));
        for (const auto& [key, action] : actions_.Snapshot())
            action->Connect();
    });
}

void ControlCore::VortelTool1_Disconnect(std::int32_t error_code, const std::string& error_text) {
    RunTrapped(this, "KestServer:VortelTool1_Disconnect", [&] {
        PortLost(error_code, error_text);
        for (const auto& [key, action] : actions_.Snapshot()) {
            action->Disconnect(error_code, error_text);
        }
    });
}

void ControlCore::VortelTool1_ReceivedPrimary(const std::shared_ptr<SecsTransaction>& trans,
                                              std::int32_t error_code,
                                              const std::string& error_text) {
    const char* source = "KestServer:VortelTool1_ReceivedPrimary";
    RunTrapped(this, source, [&] {
        if (error_code != 0) {
            TriggerError(source, 4008,
                         "Primary in error : " + std::to_string(error_code) + "-" + error_text,
                         __LINE__);
            return;
        }
        for (const auto& [key, action] : actions_.Snapshot()) {
            action->ReceivedPrimary(trans, error_code, error_text);
        }
    });
}

void ControlCore::VortelTool1_ReceivedSecondary(const std::shared_ptr<SecsTransaction>& trans,
                                                std::int32_t error_code,
                                                const std::string& error_text) {
    const char* source = "KestServer:VortelTool1_ReceivedSecondary";
    RunTrapped(this, source, [&] {
        if (error_code != 0) {
            TriggerError(source, 4009,
                         "Secondary in error : " + std::to_string(error_code) + "-" + error_text,
                         __LINE__);
            return;
        }
        // Trace data acknowledgements belong to no transaction.
        if (trans->Secondary().Name() == "S6F2") return;
        // Every transaction object acts only on the reply tagged with its own number, so the
        // reply goes to that one and to the host-message handler, which owns some replies.
        std::vector<std::shared_ptr<IEDAction>> receivers;
        if (auto handler = actions_.Find("EDPrimaryIn")) receivers.push_back(handler);
        const Variant& tag = trans->Tag();
        if (tag.IsInteger()) {
            if (auto owner = actions_.Find(tag.ToText()); owner && owner->TimesOut()) {
                receivers.push_back(owner);
            }
        }
        for (const auto& receiver : receivers) {
            receiver->ReceivedSecondary(trans, error_code, error_text);
        }
    });
}

void ControlCore::VortelTool1_Error(const DriverError& error) {
    const char* source = "KestServer:VortelTool1_Error";
    TriggerError(source, error.code, error.text, error.line);
    RunTrapped(this, source, [&] { ReportDriverError(error); });
    RunTrapped(this, source, [&] {
        for (const auto& [key, action] : actions_.Snapshot()) {
            action->SecsError(error.code, error.text);
        }
    });
}

void ControlCore::ReportDriverError(const DriverError& error) {
    namespace code = driver_error;
    switch (error.code) {
        case code::kConnected:
            SetSetting("PortOpened", "TRUE");
            FireEvent(ProtocolEvent("Connect"));
            break;
        case code::kControlTimeout:
        case code::kNotSelectedTimeout:
        case code::kInterCharacterTimeout:
            CommunicationFailed();
            break;
        case code::kConnectionClosed:
        case code::kNetworkError:
            PortLost(error.code, error.text);
            break;
        case code::kReplyTimeout:
            if (!SECSTrans_S9F9(*this, error.stream, error.function)) {
                TriggerError("KestServer:VortelTool1_Error", 6002,
                             "SECS [S9F9] message send failed.", __LINE__);
            }
            CommunicationFailed();
            if (error.Concerns("S5F1")) AlarmFallback();
            break;
        case code::kSendFailed:
            if (error.Concerns("S5F1")) {
                boxes_->MessageBox("Spool " + latest_alarm_text_, BoxKind::Information);
                AlarmFallback();
            }
            break;
        default:
            break;
    }
}

void ControlCore::PortLost(std::int32_t error_code, const std::string& error_text) {
    SetSetting("PortOpened", "FALSE");
    KestEvent event = ProtocolEvent("Disconnect");
    event.AddOutput("ErrorCode", error_code);
    event.AddOutput("ErrorText", error_text);
    FireEvent(event);
    SpoolChecking();
}

void ControlCore::CommunicationFailed() {
    state_.CommunicationFailed();
    RefreshGEMTool();
}

void ControlCore::AlarmFallback() {
    auto trans = VortelToolOCX().CreateTransaction();
    SecsMessage& primary = trans->Primary();
    primary.SetStream(5);
    primary.SetFunction(1);
    trans->SetReplyExpected(false);
    SecsItem body = build::L(build::B({static_cast<std::uint8_t>(alarm_set_ ? 128 : 0)}),
                             SecsItem(enmItemFormat::FormatU4), build::A(latest_alarm_text_));
    body.Item(2).SetValue(Variant(latest_alarm_id_));
    primary.RootItem().Clear();
    primary.RootItem().AddItem(std::move(body));
    state_.AlarmLost();
    SpoolOffer(trans);
}

}  // namespace kest
