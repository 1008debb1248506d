#include "services/ed_recipe_upload.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "services/builders_stream7.h"
#include "services/gem_process_program.h"

namespace kest {

namespace {

Variant FirstValue(const SecsMessage& reply) {
    return reply.BodyCount() > 0 ? reply.Item(1).Value() : Variant();
}

bool IsGranted(const Variant& ppgnt) {
    return ppgnt.IsNumeric() && ppgnt.ToDouble() == 0.0;
}

}  // namespace

void EDRecipeUpload::SetSource(const std::shared_ptr<GEMProcessProgram>& source) {
    Trapped("Set IEDAction_Source", [&] {
        ppid_ = source->PPID();
        length_ = source->LENGTH();
        directory_ = source->PPIDSENTPATH();
        auto control = Control();
        if (control && !SECSTrans_S7F1(*control, ppid_, length_, TID())) {
            ReportSendFailed("S7F1");
        }
    });
}

void EDRecipeUpload::OnReply(SecsTransaction& trans) {
    const Variant value = FirstValue(trans.Secondary());
    if (trans.Secondary().Name() == "S7F2") {
        OnGrant(value);
    } else {
        ReportOutcome(0, value);
    }
}

void EDRecipeUpload::OnGrant(const Variant& ppgnt) {
    if (!IsGranted(ppgnt)) {
        ReportOutcome(ppgnt, -1);
        return;
    }
    auto control = Control();
    if (!control) return;
    ExpectReply("S7F4");
    if (!SECSTrans_S7F3(*control, ppid_, directory_, TID())) {
        control->TriggerError("EDRecipeUpload:IEDAction_ReceivedSecondary", 6002,
                              "SECS [S7F3] message send failed.", __LINE__);
    }
}

void EDRecipeUpload::OnFailure(std::int32_t code) {
    ReportOutcome(code, code);
}

void EDRecipeUpload::ReportOutcome(const Variant& ppgnt, const Variant& ackc7) const {
    KestMethod method = NewMethod("GEMProcessProgram", "RecipeUploadToHost");
    method.AddInput("PPID", ppid_);
    method.AddInput("LENGTH", length_);
    method.AddInput("PPIDSENTPATH", directory_);
    method.AddOutput("PPGNT", ppgnt);
    method.AddOutput("ACKC7", ackc7);
    Report(method);
}

}  // namespace kest
