#include "host/stream9_senders.h"

#include <string>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "services/stream9.h"

namespace kest {

namespace {

bool SendStream9(GemContext& control, int function9, std::int32_t device_id, std::int32_t stream,
                 std::int32_t function) {
    const std::string name = MessageName(9, function9);
    return RunTrapped(&control, "EDPrimaryIn:Send" + name, [&] {
        auto trans = control.VortelToolOCX().CreateTransaction(name);
        SecsItem& body = trans->Primary().RootItem();
        body.Clear();  // whatever the dictionary prepared, the body is the one MHEAD item
        auto mhead = BuildMHEAD(device_id, stream, function);
        body.AddItem(enmItemFormat::FormatBinary).SetData(mhead);
        return control.SendSECSTrans(trans, "NULL");
    });
}

}  // namespace

bool SendS9F1(GemContext& control, std::int32_t device_id, std::int32_t stream,
              std::int32_t function) {
    return SendStream9(control, 1, device_id, stream, function);
}

bool SendS9F3(GemContext& control, std::int32_t device_id, std::int32_t stream,
              std::int32_t function) {
    return SendStream9(control, 3, device_id, stream, function);
}

bool SendS9F5(GemContext& control, std::int32_t device_id, std::int32_t stream,
              std::int32_t function) {
    return SendStream9(control, 5, device_id, stream, function);
}

bool SendS9F7(GemContext& control, std::int32_t device_id, std::int32_t stream,
              std::int32_t function) {
    return SendStream9(control, 7, device_id, stream, function);
}

bool SendS9F11(GemContext& control, std::int32_t device_id, std::int32_t stream,
               std::int32_t function) {
    return SendStream9(control, 11, device_id, stream, function);
}

bool SendS9F7(GemContext& control, const SecsTransaction& trans) {
    return SendS9F7(control, trans.DeviceID(), trans.Primary().Stream(),
                    trans.Primary().Function());
}

bool SendS9F11(GemContext& control, const SecsTransaction& trans) {
    return SendS9F11(control, trans.DeviceID(), trans.Primary().Stream(),
                     trans.Primary().Function());
}

}  // namespace kest
