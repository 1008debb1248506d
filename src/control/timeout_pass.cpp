// The once-a-second pass of the 500 ms `Timeout` timer: transactions, expected process
// programs and remote commands that waited too long, and the variable limits.
#include <algorithm>
#include <chrono>

#include "control/control_core.h"
#include "control/limit_monitor.h"
#include "gemdb/gemdb.h"
#include "services/stream9.h"

namespace kest {

namespace {
constexpr const char* kSource = "KestServer:Timeout_Timer";
// Longer than any countdown the control keeps (GEMTimeout, T3Timeout): catching up further
// would change nothing.
constexpr std::int64_t kMaxCatchUpSeconds = 24 * 60 * 60;
}  // namespace

void ControlCore::TimeoutTick() {
    AssertLoopThread();
    // Whole seconds of the steady clock: ticks within one second count once, a loop that
    // stalled counts every second it missed, and setting the wall clock counts nothing.
    auto passed = std::chrono::floor<std::chrono::seconds>(clock_->Steady() - last_pass_);
    if (passed.count() < 1) return;
    last_pass_ += passed;
    if (!created_) return;
    auto missed = std::min<std::int64_t>(passed.count(), kMaxCatchUpSeconds);
    for (std::int64_t i = 0; i < missed; ++i) {
        RunTrapped(this, kSource, [&] { TimeoutTransactions(); });
        RunTrapped(this, kSource, [&] { TimeoutExpectedMessages(); });
        RunTrapped(this, kSource, [&] { TimeoutCommands(); });
    }
    // The values are what they are now, however many seconds passed.
    RunTrapped(this, kSource, [&] { MonitorLimits(); });
}

void ControlCore::TimeoutTransactions() {
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

void ControlCore::TimeoutExpectedMessages() {
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

void ControlCore::TimeoutCommands() {
    for (const auto& command : commands_.Snapshot()) {
        command->SetCountdown(command->Countdown() - 1);
        if (command->Countdown() > 0) continue;
        KestEvent event("GEMCommand", "GEMTimeout");
        event.AddOutput("MethodName", command->RCMD);
        FireEvent(event);
        commands_.Remove(command->TID());
    }
}

void ControlCore::MonitorLimits() {
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
