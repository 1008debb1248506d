#include "host/ed_primary_in.h"

#include <initializer_list>
#include <string>

#include "core/gem_context.h"
#include "core/state_model.h"
#include "driver/secs_transaction.h"
#include "host/routing.h"
#include "host/stream9_senders.h"

namespace kest {

namespace {

constexpr const char* kPrimarySource = "EDPrimaryIn:IEDAction_ReceivedPrimary";

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* candidate : names) {
        if (name == candidate) return true;
    }
    return false;
}

// Before communication is established only the two messages that establish it get through.
bool CommunicationAdmits(GemContext& control, const std::string& name) {
    const GEM_COMMSTATE state = control.State().Comm();
    if (state != GEM_COMMSTATE::ENABLE_NOT_COMM && state != GEM_COMMSTATE::ENABLE_COMM) {
        control.TriggerError(kPrimarySource, 6001,
                             "SECSTrans [" + name + "] received in communication state - disable.",
                             __LINE__);
        return false;
    }
    if (state == GEM_COMMSTATE::ENABLE_NOT_COMM && !IsOneOf(name, {"S1F1", "S1F13"})) {
        control.TriggerError(
            kPrimarySource, 6001,
            "SECSTrans [" + name + "] received in communication state - enable not communicating.",
            __LINE__);
        return false;
    }
    return true;
}

// Off-line, the host may only check the link, establish communication and ask for a state.
bool ControlStateAdmits(GemContext& control, const std::string& name) {
    using enum GEM_CONTROLSTATE;
    const GEM_CONTROLSTATE state = control.State().Control();
    const bool offline = state == EQUIP_OFFLINE || state == ATTEMPT_ONLINE || state == HOST_OFFLINE;
    return !offline || IsOneOf(name, {"S1F1", "S1F13", "S1F15", "S1F17"});
}

// The abort reply: function 0 of the same stream, no body (nothing without the W-bit).
void SendAbortReply(SecsTransaction& trans) {
    SecsMessage& reply = trans.Secondary();
    reply.SetFunction(0);
    reply.RootItem().Clear();
    trans.Reply();
}

void RunHandler(GemContext& control, const HostRoute& route,
                const std::shared_ptr<SecsTransaction>& trans) {
    RunTrapped(&control, "EDPrimaryIn:" + route.HandlerName(),
               [&] { route.handler(control, trans); });
}

void DispatchPrimary(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsMessage& primary = trans->Primary();
    const int stream = primary.Stream();
    const int function = primary.Function();
    const std::string name = primary.Name();
    if (!CommunicationAdmits(control, name)) return;

    const std::int32_t device_id = control.DeviceID();
    if (trans->DeviceID() != device_id) {
        SendS9F1(control, device_id, stream, function);
        return;
    }
    if (!ControlStateAdmits(control, name)) {
        SendAbortReply(*trans);
        return;
    }
    const HostRoute* route = FindPrimaryRoute(stream, function);
    if (route == nullptr && !IsRoutedStream(stream)) {
        SendS9F3(control, device_id, stream, function);
        return;
    }
    // A routed primary whose handler is not built yet is answered as an unknown function.
    if (route == nullptr || route->handler == nullptr) {
        SendS9F5(control, device_id, stream, function);
        return;
    }
    RunHandler(control, *route, trans);
}

}  // namespace

void EDPrimaryIn::ReceivedPrimary(const std::shared_ptr<SecsTransaction>& trans, std::int32_t,
                                  const std::string&) {
    auto control = Parent();
    if (!control || !trans) return;
    RunTrapped(control.get(), kPrimarySource, [&] { DispatchPrimary(*control, trans); });
}

void EDPrimaryIn::ReceivedSecondary(const std::shared_ptr<SecsTransaction>& trans, std::int32_t,
                                    const std::string&) {
    auto control = Parent();
    if (!control || !trans) return;
    RunTrapped(control.get(), "EDPrimaryIn:IEDAction_ReceivedSecondary", [&] {
        // Named by the primary's stream and the reply's function, as the host answered it.
        const HostRoute* route =
            FindSecondaryRoute(trans->Primary().Stream(), trans->Secondary().Function());
        if (route != nullptr && route->handler != nullptr) RunHandler(*control, *route, trans);
    });
}

}  // namespace kest
