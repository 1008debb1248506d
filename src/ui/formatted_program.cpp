#include "ui/formatted_program.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "secs/build.h"

namespace kest {

std::shared_ptr<SecsTransaction> NewFormattedProgram(GemContext& control, const std::string& ppid) {
    using namespace build;
    auto trans = control.VortelToolOCX().CreateTransaction();
    SecsMessage& primary = trans->Primary();
    primary.SetStream(7);
    primary.SetFunction(23);
    primary.SetReplyExpected(true);
    trans->Secondary().SetStream(7);
    trans->Secondary().SetFunction(24);
    primary.RootItem().AddItem(L(A(ppid), A(control.GemVar("EquipmentModel")),
                                 A(control.GemVar("SoftwareRevision")),
                                 L(L(A("CCODE"), L(A("PPARM"))))));
    return trans;
}

}  // namespace kest
