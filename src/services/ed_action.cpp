#include "services/ed_action.h"

#include "core/gem_context.h"
#include "driver/secs_transaction.h"

namespace kest {

EDAction::EDAction(std::int32_t tid, std::string object_name, std::string reply_name)
    : tid_(tid), object_name_(std::move(object_name)), reply_name_(std::move(reply_name)) {}

void EDAction::SetParent(std::weak_ptr<GemContext> parent) {
    parent_ = std::move(parent);
    if (auto control = Control()) timeout_ = control->GEMTimeout();
}

void EDAction::Disconnect(std::int32_t, const std::string&) {
    Trapped("IEDAction_Disconnect", [&] { OnFailure(3002); });
}

void EDAction::SecsError(std::int32_t error_code, const std::string&) {
    if (error_code != 3005 && error_code != 3014) return;  // other errors leave it waiting
    Trapped("IEDAction_SecsError", [&] { OnFailure(error_code); });
}

void EDAction::ReceivedSecondary(const std::shared_ptr<SecsTransaction>& trans, std::int32_t,
                                 const std::string&) {
    Trapped("IEDAction_ReceivedSecondary", [&] {
        const Variant& tag = trans->Tag();
        if (tag.IsEmpty() || !tag.IsNumeric() || tag.ToInt32() != tid_) return;
        if (trans->Secondary().Name() != reply_name_) return;
        OnReply(*trans);
    });
}

KestMethod EDAction::NewMethod(const std::string& service_name,
                               const std::string& method_name) const {
    return KestMethod(service_name, method_name, tid_);
}

void EDAction::Report(const KestMethod& method) const {
    if (auto control = Control()) control->ReplyMethod(method);
}

void EDAction::ReportSendFailed(const std::string& primary) const {
    if (auto control = Control()) {
        control->TriggerError(object_name_ + ":Set IEDAction_Source", 6002,
                              "SECS [" + primary + "] message send failed.", __LINE__);
    }
}

void EDAction::Trapped(const char* member, const std::function<void()>& body) const {
    auto control = Control();
    TryTrapped(control.get(), object_name_ + ":" + member, body);
}

}  // namespace kest
