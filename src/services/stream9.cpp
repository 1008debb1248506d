#include "services/stream9.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "notify/error_trap.h"
#include "secs/build.h"

namespace kest {

std::array<std::uint8_t, 10> BuildMHEAD(std::int32_t device_id, std::int32_t stream,
                                        std::int32_t function) {
    std::array<std::uint8_t, 10> mhead{};
    if (device_id >= 32768 || device_id < 0) {
        mhead[0] = 0x80;
        mhead[1] = 0x00;
    } else {
        mhead[0] = static_cast<std::uint8_t>(0x80 | ((device_id >> 8) & 0x7F));
        mhead[1] = static_cast<std::uint8_t>(device_id & 0xFF);
    }
    mhead[2] = static_cast<std::uint8_t>(stream & 0x7F);
    mhead[3] = static_cast<std::uint8_t>(function & 0xFF);
    mhead[4] = 0x80;
    mhead[5] = 0x01;
    return mhead;
}

bool SECSTrans_S9F9(GemContext& control, std::int32_t stream, std::int32_t function) {
    return RunTrapped(&control, "modSECS:SECSTrans_S9F9", [&] {
        auto trans = control.VortelToolOCX().CreateTransaction("S9F9");
        SecsItem& mhead = trans->Primary().Item(1);
        mhead.SetFormat(enmItemFormat::FormatBinary);
        auto bytes = BuildMHEAD(control.DeviceID(), stream, function);
        mhead.SetData(bytes);
        return control.SendSECSTrans(trans, "NULL");
    });
}

bool SECSTrans_S9F13(GemContext& control, const std::string& mexp, const std::string& edid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S9F13", [&] {
        auto trans = control.VortelToolOCX().CreateTransaction("S9F13");
        SecsItem& list = trans->Primary().Item(1);
        list.Clear();
        list.AddItem(build::A(mexp));
        list.AddItem(build::A(edid));
        return control.SendSECSTrans(trans, "NULL");
    });
}

}  // namespace kest
