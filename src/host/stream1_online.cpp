// S1F1, S1F13, S1F15 and S1F17: the host checks the link and asks for communication, off-line
// and on-line. The state model acts on the events raised here; nothing here writes a state.
#include <cstdint>

#include "core/gem_context.h"
#include "core/state_model.h"
#include "driver/secs_transaction.h"
#include "host/message_checks.h"
#include "host/stream1_handlers.h"
#include "host/stream9_senders.h"
#include "secs/build.h"
#include "services/value_rules.h"

namespace kest {

namespace {

// {MDLN, SOFTREV}, as S1F2 and S1F14 carry them.
SecsItem ModelAndRevision(GemContext& control) {
    return build::L(ItemFromText(enmItemFormat::FormatAscii, control.GemVar("EquipmentModel")),
                    ItemFromText(enmItemFormat::FormatAscii, control.GemVar("SoftwareRevision")));
}

// ONLACK: 0 accepted (from host off-line), 1 not allowed, 2 already on-line.
std::uint8_t OnlineAcknowledge(GemStateModel& state) {
    if (state.Online()) return 2;
    if (state.Control() == GEM_CONTROLSTATE::HOST_OFFLINE) return 0;
    return 1;
}

}  // namespace

void ReplyS1F1(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 0)) return;
    AnswerWith(*trans, ModelAndRevision(control));
    control.FireEvent(KestEvent("GEMEstabComm", "CommEstablished"));
}

void ReplyS1F13(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    const SecsItem& request = trans->Primary().Item(1);
    // A host sends S1F13 as L,0; anything but a list is not an S1F13 at all.
    if (!request.IsList()) {
        SendS9F7(control, *trans);
        return;
    }
    if (request.Count() != 0) {
        SendS9F11(control, *trans);
        return;
    }
    AnswerWith(*trans, build::L(build::B({0}), ModelAndRevision(control)));
    control.FireEvent(KestEvent("GEMEstabComm", "CommEstablished"));
}

void ReplyS1F15(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 0)) return;
    AnswerWith(*trans, build::B({0}));
    if (control.State().Control() != GEM_CONTROLSTATE::HOST_OFFLINE) {
        control.FireEvent(KestEvent("GEMControl", "RequestOffline"));
    }
}

void ReplyS1F17(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 0)) return;
    const std::uint8_t onlack = OnlineAcknowledge(control.State());
    AnswerWith(*trans, build::B({onlack}));
    if (onlack == 0) control.FireEvent(KestEvent("GEMControl", "RequestOnline"));
}

}  // namespace kest
