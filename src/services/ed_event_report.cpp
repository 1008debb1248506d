#include "services/ed_event_report.h"

#include <string>

#include <cstdio>

#include "base/error.h"
#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "services/builders_stream6.h"
#include "services/gem_event_report.h"

namespace kest {

std::string EDEventReport::TimeoutMethodName() const {
    return source_ ? source_->RequestingMethod() : std::string("SendEventRptByName");
}

void EDEventReport::SetSource(std::shared_ptr<GEMEventReport> source) {
    source_ = std::move(source);
    Trapped("Set IEDAction_Source", [&] {
        auto control = Control();
        if (!control) return;
        if (!SECSTrans_S6F11(*control, *source_, TID())) {
            ReportSendFailed("S6F11");
            ReportAck(6002);
            return;
        }
        // A write that changes nothing is skipped: reports of one event in a row cost no
        // database transaction each.
        std::string ceid = std::to_string(source_->CEID());
        if (control->GemVar("PreviousCEID") != ceid) control->SetGemVar("PreviousCEID", ceid);
        AppendHandOverLog(*control);
        if (!WBitFrom(*control, "WBITS6")) ReportAck(0);
    });
}

void EDEventReport::AppendHandOverLog(GemContext& control) const {
    // Every hand-over is also noted in Log/Log.txt for the equipment software.
    if (!control.AppendToLog("Log.txt", "IEDAction_Source Else EDEvent\n")) {
        auto file = control.AppDirectory() / "Log" / "Log.txt";
        throw KestException(75, "Path/File access error: " + file.string());
    }
}

void EDEventReport::OnReply(SecsTransaction& trans) {
    const SecsMessage& reply = trans.Secondary();
    ReportAck(reply.BodyCount() > 0 ? reply.Item(1).Value() : Variant());
}

void EDEventReport::OnFailure(std::int32_t code) {
    ReportAck(code);
}

void EDEventReport::ReportAck(const Variant& ackc6) const {
    KestMethod method = NewMethod("GEMEventReport", source_->RequestingMethod());
    method.AddInput("CEID", source_->CEID());
    method.AddInput("CEIDName", source_->CEIDName());
    method.AddOutput("ACKC6", ackc6);
    Report(method);
}

}  // namespace kest
