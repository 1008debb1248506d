#include "services/ed_estab_comm.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "services/builders_stream1.h"
#include "services/gem_estab_comm.h"

namespace kest {

bool CommAccepted(const SecsMessage& reply) {
    if (reply.BodyCount() == 0) return false;
    const SecsItem& top = reply.Item(1);
    if (!top.IsList() || top.Count() == 0) return false;
    const SecsItem& commack = top.Item(1);
    if (commack.IsList() || commack.Count() == 0) return false;
    Variant value = commack.Value();
    return value.IsNumeric() && value.ToDouble() == 0.0;
}

void EDEstabComm::SetSource(std::shared_ptr<GEMEstabComm> source) {
    Trapped("Set IEDAction_Source", [&] {
        source_ = std::move(source);
        if (!source_) return;
        mdln_ = source_->MDLN();
        softrev_ = source_->SOFTREV();
        auto control = Control();
        if (control && !SECSTrans_S1F13(*control, *source_, TID())) ReportSendFailed("S1F13");
    });
}

void EDEstabComm::OnReply(SecsTransaction& trans) {
    ReportEstablished(CommAccepted(trans.Secondary()));
}

void EDEstabComm::OnFailure(std::int32_t) {
    ReportEstablished(false);
}

void EDEstabComm::ReportEstablished(bool established) const {
    KestMethod method = NewMethod("GEMEstabComm", "Connect");
    method.AddInput("MDLN", mdln_);
    method.AddInput("SOFTREV", softrev_);
    method.AddOutput("CommEstablished", established);
    Report(method);
}

}  // namespace kest
