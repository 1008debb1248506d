#include "host/stream6_handlers.h"

#include "core/gem_context.h"
#include "core/state_model.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/stream9_senders.h"
#include "secs/build.h"
#include "services/value_rules.h"

namespace kest {

namespace {

// The single numeric value of `item` when it has `format`, else nothing (S9F7 then).
std::optional<std::int64_t> SingleValue(const SecsItem& item, enmItemFormat format) {
    if (item.Format() != format || item.Count() != 1) return std::nullopt;
    return item.Value().ToInt64();
}

SecsItem ReportValues(GemContext& control, std::int32_t rptid) {
    SecsItem values;
    for (std::int32_t vid : control.Db().EvtRptGetVarList(rptid)) {
        values.AddItem(VariableValueItem(control, vid));
    }
    return values;
}

void EndSpooling(GemContext& control) {
    GemStateModel& state = control.State();
    state.SetSpoolUnload(GEM_SPOOLSTATE::SPOOL_NO_OUTPUT);
    state.SetSpoolLoad(GEM_SPOOLSTATE::SPOOL_NOT_FULL);
    state.SetSpool(GEM_SPOOLSTATE::SPOOL_INACTIVE);
    control.ReportEvent("GemSpoolingDeactivated");
}

void Purge(GemContext& control) {
    control.State().SetSpoolUnload(GEM_SPOOLSTATE::SPOOL_PURGE);
    control.SpoolList().clear();
    EndSpooling(control);
}

void Transmit(GemContext& control) {
    SpoolQueue& spool = control.SpoolList();
    control.State().SetSpoolUnload(GEM_SPOOLSTATE::SPOOL_TRANSMIT);
    std::int32_t limit = Variant(control.GemVar("MaxSpoolTransmit")).ToInt32();
    std::size_t batch = limit > 0 && static_cast<std::size_t>(limit) < spool.size()
                            ? static_cast<std::size_t>(limit)
                            : spool.size();
    // The whole batch goes out first, then leaves the list: a send reports its own failure.
    std::vector<std::shared_ptr<SecsTransaction>> sending(
        spool.begin(), spool.begin() + static_cast<std::ptrdiff_t>(batch));
    for (const auto& message : sending)
        message->Send();
    spool.erase(spool.begin(), spool.begin() + static_cast<std::ptrdiff_t>(batch));
    if (spool.empty()) {
        EndSpooling(control);
    } else {
        // The rest waits for the next request.
        control.State().SetSpoolUnload(GEM_SPOOLSTATE::SPOOL_NO_OUTPUT);
    }
}

}  // namespace

void ReplyS6F15(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    auto ceid = SingleValue(trans->Primary().Item(1), enmItemFormat::FormatU4);
    if (!ceid) {
        SendS9F7(control, *trans);
        return;
    }
    SecsItem reports;
    for (std::int32_t rptid : control.Db().EvtRptGetReportList(static_cast<std::int32_t>(*ceid))) {
        reports.AddItem(build::L(build::U4(rptid), ReportValues(control, rptid)));
    }
    AnswerWith(*trans, build::L(build::U4(1), build::U4(*ceid), std::move(reports)));
}

void ReplyS6F19(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    auto rptid = SingleValue(trans->Primary().Item(1), enmItemFormat::FormatU4);
    if (!rptid) {
        SendS9F7(control, *trans);
        return;
    }
    AnswerWith(*trans, ReportValues(control, static_cast<std::int32_t>(*rptid)));
}

void ReplyS6F23(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    auto rsdc = SingleValue(trans->Primary().Item(1), enmItemFormat::FormatU1);
    if (!rsdc) {
        SendS9F7(control, *trans);
        return;
    }
    auto rsda = [&](std::uint8_t code) { AnswerAck(*trans, code); };
    if (*rsdc != 0 && *rsdc != 1) return rsda(1);
    if (control.State().Spool() != GEM_SPOOLSTATE::SPOOL_ACTIVE) return rsda(2);
    if (control.State().SpoolUnload() != GEM_SPOOLSTATE::SPOOL_NO_OUTPUT) return rsda(1);
    if (*rsdc == 1) {
        rsda(0);
        Purge(control);
        return;
    }
    if (control.SpoolList().empty()) return rsda(2);
    rsda(0);
    Transmit(control);
}

}  // namespace kest
