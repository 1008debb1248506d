#include "services/ed_clock.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "services/builders_stream2.h"

namespace kest {

std::string ReplyTime(const SecsMessage& reply) {
    if (reply.BodyCount() == 0 || reply.Item(1).IsList()) return "NULL";
    return reply.Item(1).ToText();
}

void EDClock::SetSource(std::shared_ptr<GEMClock> source) {
    Trapped("Set IEDAction_Source", [&] {
        source_ = std::move(source);
        auto control = Control();
        if (!source_ || !control) return;
        if (!SECSTrans_S2F17(*control, TID())) {
            ReportSendFailed("S2F17");
            ReportDateTime("NULL");
        }
    });
}

void EDClock::OnReply(SecsTransaction& trans) {
    ReportDateTime(ReplyTime(trans.Secondary()));
}

void EDClock::OnFailure(std::int32_t) {
    ReportDateTime("NULL");
}

void EDClock::ReportDateTime(const std::string& date_time) const {
    KestMethod method = NewMethod("GEMClock", "GetDateTime");
    method.AddOutput("DateTime", date_time);
    Report(method);
}

}  // namespace kest
