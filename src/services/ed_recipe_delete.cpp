#include "services/ed_recipe_delete.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "services/builders_stream7.h"
#include "services/gem_process_program.h"

namespace kest {

void EDRecipeDelete::SetSource(const std::shared_ptr<GEMProcessProgram>& source) {
    Trapped("Set IEDAction_Source", [&] {
        method_ = source->RequestingMethod();
        if (method_ == "RecipeDelete") ppids_ = source->DeleteList();
        auto control = Control();
        if (control && !SECSTrans_S7F17(*control, ppids_, TID())) ReportSendFailed("S7F17");
    });
}

void EDRecipeDelete::OnReply(SecsTransaction& trans) {
    const SecsMessage& reply = trans.Secondary();
    ReportAck(reply.BodyCount() > 0 ? reply.Item(1).Value() : Variant());
}

void EDRecipeDelete::OnFailure(std::int32_t code) {
    ReportAck(code);
}

void EDRecipeDelete::ReportAck(const Variant& ackc7) const {
    KestMethod method = NewMethod("GEMProcessProgram", method_);
    if (method_ == "RecipeDelete") {
        std::string joined;
        for (std::size_t i = 0; i < ppids_.size(); ++i)
            joined += (i == 0 ? "" : ",") + ppids_[i];
        method.AddInput("PPID", joined);
    }
    method.AddOutput("ACKC7", ackc7);
    Report(method);
}

}  // namespace kest
