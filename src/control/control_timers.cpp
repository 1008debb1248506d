#include "control/control_timers.h"

#include "control/control_core.h"

namespace kest {

ControlTimers::ControlTimers(asio::any_io_executor executor, std::weak_ptr<ControlCore> server)
    : server_(std::move(server)), timeout_(executor), heartbeat_(executor) {
    for (auto& trace : traces_)
        trace = std::make_unique<Periodic>(executor);
}

ControlTimers::~ControlTimers() {
    alive_.reset();  // handlers already queued find the token gone and touch nothing
    timeout_.timer.cancel();
    heartbeat_.timer.cancel();
    for (auto& trace : traces_)
        trace->timer.cancel();
}

void ControlTimers::StartTimeout() {
    Run(timeout_, std::chrono::milliseconds(500), [](ControlCore& s) { s.TimeoutTick(); });
}

void ControlTimers::ApplyHeartBeat(int interval_ms, bool enabled) {
    if (!enabled || interval_ms <= 0) {
        Stop(heartbeat_);
        return;
    }
    Run(heartbeat_, std::chrono::milliseconds(interval_ms),
        [](ControlCore& s) { s.HeartBeatTick(); });
}

void ControlTimers::ApplyTrace(int index, const TraceTimerElement& element) {
    if (index < 1 || index >= static_cast<int>(traces_.size())) return;
    Periodic& periodic = *traces_[static_cast<std::size_t>(index)];
    if (!element.Enabled || element.Interval <= 0) {
        Stop(periodic);
        return;
    }
    Run(periodic, std::chrono::milliseconds(element.Interval),
        [index](ControlCore& s) { s.TraceTick(index); });
}

void ControlTimers::Run(Periodic& periodic, std::chrono::milliseconds interval,
                        std::function<void(ControlCore&)> tick) {
    if (periodic.interval == interval && periodic.generation % 2 == 1) return;  // running
    Stop(periodic);
    periodic.interval = interval;
    ++periodic.generation;  // odd: running
    Arm(periodic, std::move(tick));
}

void ControlTimers::Stop(Periodic& periodic) {
    if (periodic.generation % 2 == 1) ++periodic.generation;  // even: stopped
    periodic.timer.cancel();
}

void ControlTimers::Arm(Periodic& periodic, std::function<void(ControlCore&)> tick) {
    periodic.timer.expires_after(periodic.interval);
    std::weak_ptr<int> alive = alive_;
    std::uint64_t generation = periodic.generation;
    periodic.timer.async_wait([this, alive, generation, &periodic,
                               tick = std::move(tick)](const std::error_code& ec) mutable {
        if (ec || alive.expired() || periodic.generation != generation) return;
        auto server = server_.lock();
        if (!server) return;
        Arm(periodic, tick);  // re-armed first: a tick may change or stop this timer
        tick(*server);
    });
}

}  // namespace kest
