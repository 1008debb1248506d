#include "services/builders_stream6.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "services/gem_event_report.h"
#include "services/value_rules.h"

namespace kest {

bool WBitFrom(GemContext& control, const char* name) {
    return Variant(control.GemVar(name)).ToInt16() != 0;
}

bool SECSTrans_S6F11(GemContext& control, const GEMEventReport& service, std::int32_t tid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S6F11", [&] {
        auto trans = control.VortelToolOCX().CreateTransaction("S6F11");
        trans->SetReplyExpected(WBitFrom(control, "WBITS6"));
        SecsItem& body = trans->Primary().Item(1);
        body.Item(1).SetValue(1);
        body.Item(2).SetValue(service.CEID());
        SecsItem& reports = body.Item(3);
        reports.Clear();
        GEMDB& db = control.Db();
        for (std::int32_t rptid : db.EvtRptGetReportList(service.CEID())) {
            auto vids = db.EvtRptGetVarList(rptid);
            if (vids.empty()) continue;  // a report without variables is left out
            SecsItem values;
            for (std::int32_t vid : vids)
                values.AddItem(VariableValueItem(control, vid));
            reports.AddItem(build::L(build::U4(rptid), std::move(values)));
        }
        trans->SetTag(tid);
        return control.SendSECSTrans(trans, service.CEIDName());
    });
}

bool SECSTrans_S6F1(GemContext& control, const KestRecTrace& trace, SecsItem samples) {
    return RunTrapped(&control, "modSECS:SECSTrans_S6F1", [&] {
        auto trans = control.VortelToolOCX().CreateTransaction("S6F1");
        trans->SetReplyExpected(WBitFrom(control, "WBITS6"));
        std::string stime = FormatLocal(control.GetClock()->Now(), "yyyymmddhhnnss00");
        SecsItem& root = trans->Primary().RootItem();
        root.Clear();
        root.AddItem(build::L(build::U4(static_cast<std::uint32_t>(trace.TRID)),
                              build::U4(trace.SMPLN), build::A(stime), std::move(samples)));
        return control.SendSECSTrans(trans, "NULL");
    });
}

}  // namespace kest
