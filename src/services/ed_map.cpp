#include "services/ed_map.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "services/builders_stream12.h"
#include "services/gem_map.h"

namespace kest {

namespace {

// The texts of refused wafer-map primaries; the S12F13 one has always lacked its bracket.
std::string SendFailedText(const std::string& function) {
    if (function == "13") return "SECS [S12F13 message send failed.";
    return "SECS [S12F" + function + "] message send failed.";
}

}  // namespace

std::string EDMap::TimeoutMethodName() const {
    return source_ ? source_->RequestingMethod() : std::string("MapSetupDataSend");
}

void EDMap::SetSource(std::shared_ptr<GEMMap> source) {
    source_ = std::move(source);
    Trapped("Set IEDAction_Source", [&] {
        auto control = Control();
        if (!control) return;
        const std::string function = source_->functionNo();
        const MapBuilder builder = FindMapBuilder(function);
        if (builder == nullptr) return;
        if (!builder(*control, TID())) {
            control->TriggerError("EDMap:Set IEDAction_Source", 6002, SendFailedText(function),
                                  __LINE__);
            ReportAck(function, 6002);
            return;
        }
        if (function == "1") ReportAck("1", 0);
    });
}

void EDMap::OnReply(SecsTransaction& trans) {
    const SecsMessage& reply = trans.Secondary();
    ReportAck("1", reply.BodyCount() > 0 ? reply.Item(1).Value() : Variant());
}

void EDMap::OnFailure(std::int32_t code) {
    ReportAck("1", code);
}

void EDMap::ReportAck(const std::string& function, const Variant& sdack) const {
    KestMethod method = NewMethod("GEMMap", TimeoutMethodName());
    method.AddInput("RequestedMethod", function);
    method.AddOutput("SDACK", sdack);
    Report(method);
}

}  // namespace kest
