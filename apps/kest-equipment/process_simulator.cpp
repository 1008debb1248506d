#include "process_simulator.h"

#include <algorithm>
#include <asio/post.hpp>

#include "control/kest_server.h"
#include "gemdb/gemdb.h"
#include "services/gem_alarm.h"
#include "services/gem_event_report.h"

namespace kest::equipment {

namespace {

constexpr std::int32_t kTemperature = 1001;
constexpr std::int32_t kPressure = 1002;
constexpr std::int32_t kWaferCount = 1003;
constexpr std::int32_t kLotCount = 1004;
constexpr std::int32_t kWaferID = 1101;
constexpr std::int32_t kLotID = 1102;
constexpr std::int32_t kTargetTemperature = 1201;
constexpr std::int32_t kWafersPerLot = 1202;
constexpr std::int32_t kOverTemperatureLimit = 1203;
constexpr std::int32_t kStepsPerWafer = 3;
constexpr std::int32_t kOverTemperatureAlarm = 1;

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace

ProcessSimulator::ProcessSimulator(asio::any_io_executor executor,
                                   std::shared_ptr<KestServer> server,
                                   std::chrono::milliseconds cycle)
    : timer_(std::move(executor)), server_(std::move(server)), cycle_(cycle) {}

void ProcessSimulator::Start() {
    running_ = true;
    SetState(State::Executing);
    Arm();
}

void ProcessSimulator::Stop() {
    running_ = false;
    timer_.cancel();
}

void ProcessSimulator::Arm() {
    timer_.expires_after(cycle_);
    timer_.async_wait([this](const std::error_code& ec) {
        if (ec || !running_) return;
        Step();
        Arm();
    });
}

bool ProcessSimulator::Command(const std::string& rcmd) {
    if (rcmd == "START") {
        SetState(State::Executing);
        Event("ProcessResumed");
    } else if (rcmd == "STOP") {
        SetState(State::Idle);
        step_ = 0;
        Event("ProcessStopped");
    } else if (rcmd == "PAUSE") {
        SetState(State::Paused);
        Event("ProcessPaused");
    } else {
        return false;
    }
    return true;
}

void ProcessSimulator::Burst(std::int64_t count) {
    constexpr std::int64_t kChunk = 64;
    for (std::int64_t i = 0; i < std::min(count, kChunk); ++i)
        Event("WaferCompleted");
    if (count <= kChunk) return;
    asio::post(timer_.get_executor(), [this, left = count - kChunk] { Burst(left); });
}

void ProcessSimulator::SetState(State state) {
    if (state == state_) return;
    state_ = state;
    static const char* names[] = {"IDLE", "EXECUTING", "PAUSED"};
    server_->UpdateProcessState(names[static_cast<int>(state)]);
}

void ProcessSimulator::Event(const char* name) {
    server_->GEMEventReport()->SendEventRptByName(name);
}

void ProcessSimulator::Step() {
    StepTemperature();
    CheckAlarm();
    if (state_ == State::Executing) StepWafer();
}

double ProcessSimulator::Noise() {
    noise_state_ = noise_state_ * 1103515245u + 12345u;  // a fixed sequence: runs repeat
    return static_cast<double>((noise_state_ >> 16) % 2001) / 1000.0 - 1.0;
}

void ProcessSimulator::StepTemperature() {
    double target = state_ == State::Executing ? Setting(kTargetTemperature, 200.0) : 25.0;
    temperature_ += (target - temperature_) * 0.3 + Noise() * 2.0;
    // Every fortieth step the heater overshoots, as a real one does now and then.
    if (state_ == State::Executing && (noise_state_ >> 8) % 40 == 0) temperature_ += 25.0;
    Store(kTemperature, Number(temperature_));
    Store(kPressure, Number(state_ == State::Executing ? 2.0 + Noise() * 0.1 : 760.0));
}

void ProcessSimulator::CheckAlarm() {
    double limit = Setting(kOverTemperatureLimit, 215.0);
    if (!over_temperature_ && temperature_ > limit) {
        over_temperature_ = true;
        server_->GEMAlarm()->SetAlarmByALID(kOverTemperatureAlarm, true);
    } else if (over_temperature_ && temperature_ < limit - 5.0) {
        over_temperature_ = false;
        server_->GEMAlarm()->SetAlarmByALID(kOverTemperatureAlarm, false);
    }
}

void ProcessSimulator::StepWafer() {
    if (step_ == 0) {
        std::string lot = "LOT" + std::to_string(lots_ + 1);
        Store(kLotID, lot);
        Store(kWaferID, lot + "-W" + std::to_string(wafer_in_lot_ + 1));
        Event("WaferStarted");
    }
    if (++step_ < kStepsPerWafer) return;
    step_ = 0;
    ++wafers_;
    ++wafer_in_lot_;
    Store(kWaferCount, std::to_string(wafers_));
    Event("WaferCompleted");
    if (wafer_in_lot_ < static_cast<std::int32_t>(Setting(kWafersPerLot, 5))) return;
    wafer_in_lot_ = 0;
    ++lots_;
    Store(kLotCount, std::to_string(lots_));
    Event("LotCompleted");
}

double ProcessSimulator::Setting(std::int32_t vid, double fallback) const {
    Variant value = server_->GEMDB()->VariableGetField(vid, FLDID_VARIABLE::VAR_VAL, false);
    return value.IsNumeric() ? value.ToDouble() : fallback;
}

void ProcessSimulator::Store(std::int32_t vid, const std::string& value) const {
    server_->GEMDB()->VariableSetField(vid, FLDID_VARIABLE::VAR_VAL, value, false);
}

}  // namespace kest::equipment
