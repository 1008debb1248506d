#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include <asio/any_io_executor.hpp>
#include <asio/steady_timer.hpp>

#include "core/work_lists.h"

namespace kest {

class ControlCore;

/// The control's timers on its executor: `Timeout` every 500 ms, the heartbeat at its period and
/// the four trace timer elements. Each tick calls the control's tick function; the functions do
/// the work, so tests call them directly without these timers.
class ControlTimers {
  public:
    ControlTimers(asio::any_io_executor executor, std::weak_ptr<ControlCore> server);
    ~ControlTimers();
    ControlTimers(const ControlTimers&) = delete;
    ControlTimers& operator=(const ControlTimers&) = delete;

    /// Starts `Timeout` (500 ms, forever).
    void StartTimeout();
    /// Runs the heartbeat every `interval_ms` when `enabled`, else stops it.
    void ApplyHeartBeat(int interval_ms, bool enabled);
    /// Runs trace element `index` as `element` says.
    void ApplyTrace(int index, const TraceTimerElement& element);

  private:
    struct Periodic {
        explicit Periodic(asio::any_io_executor executor) : timer(std::move(executor)) {}
        asio::steady_timer timer;
        std::chrono::milliseconds interval{0};
        std::uint64_t generation = 0;
    };

    void Run(Periodic& periodic, std::chrono::milliseconds interval,
             std::function<void(ControlCore&)> tick);
    void Stop(Periodic& periodic);
    void Arm(Periodic& periodic, std::function<void(ControlCore&)> tick);

    std::weak_ptr<ControlCore> server_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    Periodic timeout_;
    Periodic heartbeat_;
    std::array<std::unique_ptr<Periodic>, 5> traces_;
};

}  // namespace kest
