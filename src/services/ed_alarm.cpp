#include "services/ed_alarm.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "services/builders_stream6.h"
#include "services/gem_alarm.h"

namespace kest {

bool SECSTrans_S5F1(GemContext& control, const GEMAlarm& alarm, std::int32_t tid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S5F1", [&] {
        auto trans = control.VortelToolOCX().CreateTransaction("S5F1");
        trans->SetReplyExpected(WBitFrom(control, "WBITS5"));
        SecsItem& root = trans->Primary().RootItem();
        root.Clear();
        root.AddItem(build::L(build::B({static_cast<std::uint8_t>(alarm.ALCD() ? 128 : 0)}),
                              build::U4(alarm.ALID()), build::A(alarm.ALTX())));
        trans->SetTag(tid);
        return control.SendSECSTrans(trans, "NULL");
    });
}

std::string EDAlarm::TimeoutMethodName() const {
    return source_ ? source_->RequestingMethod() : std::string("SetAlarmByName");
}

void EDAlarm::SetSource(std::shared_ptr<GEMAlarm> source) {
    source_ = std::move(source);
    Trapped("Set IEDAction_Source", [&] {
        auto control = Control();
        if (!control) return;
        if (!SECSTrans_S5F1(*control, *source_, TID())) {
            ReportSendFailed("S5F1");
            ReportAck(6002);
            return;
        }
        control->Db().AlarmSetField(source_->ALID(), FLDID_ALARM::ALM_SET, source_->ALCD());
        control->SetGemVar("AlarmID", std::to_string(source_->ALID()));
        control->SetGemVar("AlarmState", source_->ALCD() ? "1" : "0");
        if (!WBitFrom(*control, "WBITS5")) ReportAck(0);
    });
}

void EDAlarm::OnReply(SecsTransaction& trans) {
    const SecsMessage& reply = trans.Secondary();
    ReportAck(reply.BodyCount() > 0 ? reply.Item(1).Value() : Variant());
}

void EDAlarm::OnFailure(std::int32_t code) {
    ReportAck(code);
}

void EDAlarm::ReportAck(const Variant& ackc5) const {
    KestMethod method = NewMethod("GEMAlarm", source_->RequestingMethod());
    method.AddInput("ALID", source_->ALID());
    method.AddInput("ALCD", source_->ALCD());
    method.AddInput("ALTX", source_->ALTX());
    method.AddOutput("ACKC5", ackc5);
    Report(method);
}

}  // namespace kest
