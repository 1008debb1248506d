#include "services/builders_stream2.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"

namespace kest {

bool SECSTrans_S2F17(GemContext& control, std::int32_t tid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S2F17", [&] {
        auto trans = control.VortelToolOCX().CreateTransaction("S2F17");
        trans->Primary().RootItem().Clear();  // header only, whatever the dictionary says
        trans->SetReplyExpected(true);
        trans->SetTag(tid);
        return control.SendSECSTrans(trans, "NULL");
    });
}

}  // namespace kest
