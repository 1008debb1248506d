#include "services/ed_heart_beat.h"

#include "core/gem_context.h"
#include "services/builders_stream1.h"

namespace kest {

void EDHeartBeat::SetSource() {
    Trapped("Set IEDAction_Source", [&] {
        auto control = Control();
        if (control && !SECSTrans_S1F1(*control, TID())) ReportSendFailed("S1F1");
    });
}

void EDHeartBeat::OnReply(SecsTransaction&) {
    ReportOnline(true);
}

void EDHeartBeat::OnFailure(std::int32_t) {
    ReportOnline(false);
}

void EDHeartBeat::ReportOnline(bool online) const {
    KestMethod method = NewMethod("GEMHeartBeat", "AreYouThere");
    method.AddOutput("Online", online);
    Report(method);
}

}  // namespace kest
