#include "services/ed_terminal_request.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "secs/build.h"
#include "services/builders_stream6.h"
#include "services/gem_terminal.h"

namespace kest {

bool SECSTrans_S10F1(GemContext& control, const GEMTerminal& terminal, std::int32_t tid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S10F1", [&] {
        auto trans = control.VortelToolOCX().CreateTransaction("S10F1");
        trans->SetReplyExpected(WBitFrom(control, "WBITS10"));
        SecsItem& root = trans->Primary().RootItem();
        root.Clear();
        // The service keeps TID within 0 to 255, so it fits its one byte.
        root.AddItem(build::L(build::B({static_cast<std::uint8_t>(terminal.TID())}),
                              build::A(terminal.TEXT())));
        trans->SetTag(tid);
        return control.SendSECSTrans(trans, "NULL");
    });
}

void EDTerminalRequest::SetSource(std::shared_ptr<GEMTerminal> source) {
    Trapped("Set IEDAction_Source", [&] {
        source_ = std::move(source);
        auto control = Control();
        if (!source_ || !control) return;
        if (!SECSTrans_S10F1(*control, *source_, TID())) {
            ReportSendFailed("S10F1");
            ReportAck(6002);
            return;
        }
        if (!WBitFrom(*control, "WBITS10")) ReportAck(0);
    });
}

void EDTerminalRequest::OnReply(SecsTransaction& trans) {
    const SecsMessage& reply = trans.Secondary();
    ReportAck(reply.BodyCount() > 0 ? reply.Item(1).Value() : Variant());
}

void EDTerminalRequest::OnFailure(std::int32_t code) {
    ReportAck(code);
}

void EDTerminalRequest::ReportAck(const Variant& ackc10) const {
    KestMethod method = NewMethod("GEMTerminal", "TerminalRequest");
    method.AddInput("TID", source_->TID());
    method.AddInput("TEXT", source_->TEXT());
    method.AddOutput("ACKC10", ackc10);
    Report(method);
}

}  // namespace kest
