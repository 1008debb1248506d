// The once-a-second pass of the 500 ms `Timeout` timer: transactions, expected process
// programs and remote commands that waited too long, and the variable limits.
#include "control/kest_server.h"
#include "control/limit_monitor.h"
#include "gemdb/gemdb.h"
#include "services/stream9.h"

namespace kest {

namespace {
constexpr const char* kSource = "KestServer:Timeout_Timer";
}  // namespace

void KestServer::TimeoutTick() {
    std::string now = FormatLocal(clock_->Now(), "hh:nn:ss");
    if (now == last_tick_) return;  // two ticks within one second count once
    last_tick_ = now;
    if (!created_) return;
    RunTrapped(this, kSource, [&] { TimeoutTransactions(); });
    RunTrapped(this, kSource, [&] { TimeoutExpectedMessages(); });
    RunTrapped(this, kSource, [&] { TimeoutCommands(); });
    RunTrapped(this, kSource, [&] { MonitorLimits(); });
}

void KestServer::TimeoutTransactions() {
    for (const auto& [key, action] : actions_.Snapshot()) {
        if (!action->TimesOut()) continue;
        action->SetTimeout(action->Timeout() - 1);
        if (action->Timeout() > 0) continue;
        KestEvent event(action->SourceName(), "GEMTimeout");
        std::string method = action->TimeoutMethodName();
        if (!method.empty()) event.AddOutput("MethodName", method);
        FireEvent(event);
        actions_.Remove(key);
    }
}

void KestServer::TimeoutExpectedMessages() {
    for (std::size_t i = 0; i < expected_.size();) {
        if (--expected_[i].Countdown > 0) {
            ++i;
            continue;
        }
        std::string ppid = expected_[i].PPID;
        expected_.erase(expected_.begin() + static_cast<std::ptrdiff_t>(i));
        SECSTrans_S9F13(*this, "S7F3", ppid);
    }
}

void KestServer::TimeoutCommands() {
    for (const auto& command : commands_.Snapshot()) {
        command->SetCountdown(command->Countdown() - 1);
        if (command->Countdown() > 0) continue;
        KestEvent event("GEMCommand", "GEMTimeout");
        event.AddOutput("MethodName", command->RCMD);
        FireEvent(event);
        commands_.Remove(command->TID());
    }
}

void KestServer::MonitorLimits() {
    kest::GEMDB& db = Db();
    for (std::int32_t vid : db.LimitGetAllVID()) {
        RunTrapped(this, kSource, [&] {
            auto record = db.VariableGetRecord(vid, true);
            if (!record) record = db.VariableGetRecord(vid, false);
            if (!record) return;
            for (const KestRecLimit& limit : db.LimitGetVIDAttr(vid)) {
                auto crossing = limits_->Evaluate(limit, record->VarFormat(), record->Value());
                if (!crossing) continue;
                SetGemVar("EventLimit", crossing->limit_id);
                SetGemVar("LimitVariable", crossing->var_id);
                SetGemVar("TransitionType", crossing->transition_type);
                ReportEvent("GemLimitZoneTransition");
            }
        });
    }
}

}  // namespace kest
