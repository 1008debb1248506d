// The heartbeat: an are-you-there S1F1 at the "HeartBeat" period while communicating.
#include "control/control_core.h"
#include "control/control_timers.h"
#include "services/gem_heart_beat.h"

namespace kest {

void ControlCore::SetHeartBeat() {
    RunTrapped(this, "KestServer:SetHeartBeat", [&] {
        std::int32_t seconds = Variant(GemVar("HeartBeat")).ToInt32();
        heartbeat_interval_ms_ = seconds > 0 ? seconds * 1000 : 0;
        heartbeat_enabled_ = seconds > 0;
        if (timers_) timers_->ApplyHeartBeat(heartbeat_interval_ms_, heartbeat_enabled_);
    });
}

void ControlCore::HeartBeatTick() {
    RunTrapped(this, "KestServer:HeartBeatTimer_Timer", [&] {
        if (!heartbeat_enabled_) return;  // "HeartBeat" 0: no are-you-there
        // Idle while not communicating.
        if (state_.Comm() != GEM_COMMSTATE::ENABLE_COMM) return;
        heartbeat_enabled_ = false;
        if (timers_) timers_->ApplyHeartBeat(heartbeat_interval_ms_, false);
        GEMHeartBeat()->AreYouThere();
        SetHeartBeat();
    });
}

}  // namespace kest
