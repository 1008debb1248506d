#include "services/builders_stream1.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "secs/build.h"
#include "services/gem_estab_comm.h"

namespace kest {

bool SECSTrans_S1F1(GemContext& control, std::int32_t tid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S1F1", [&] {
        auto trans = control.VortelToolOCX().CreateTransaction("S1F1");
        trans->SetReplyExpected(true);
        trans->SetTag(tid);
        return trans->Send();
    });
}

bool SECSTrans_S1F13(GemContext& control, const GEMEstabComm& source, std::int32_t tid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S1F13", [&] {
        auto trans = control.VortelToolOCX().CreateTransaction("S1F13");
        // The body is fixed by the standard; build it whole rather than trust a dictionary's
        // template to have both items.
        SecsItem& root = trans->Primary().RootItem();
        root.Clear();
        root.AddItem(build::L(build::A(source.MDLN()), build::A(source.SOFTREV())));
        trans->SetReplyExpected(true);
        trans->SetTag(tid);
        return trans->Send();
    });
}

}  // namespace kest
