#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <asio/any_io_executor.hpp>
#include <asio/steady_timer.hpp>

#include "base/clock.h"

namespace kest {

/// The operator window's establish-communication timer: a 500 ms tick that works once per
/// second of the clock and counts down whole seconds; when the countdown drops below 0 it calls
/// its expiry handler, which decides whether to retry S1F13 (and reload) or to stop.
///
/// Starting a stopped timer sets the countdown to 0, so the first expiry comes on the first
/// working tick after the start. `Reload(T)` makes the next expiry come T seconds later.
/// Ticks come from `Tick` (tests call it) and, after `RunOn`, from an asio timer that runs only
/// while the timer is started.
class EstablishTimer {
  public:
    /// `clock` decides which ticks work; `expired` runs on each expiry.
    EstablishTimer(std::shared_ptr<Clock> clock, std::function<void()> expired);
    ~EstablishTimer();
    EstablishTimer(const EstablishTimer&) = delete;
    EstablishTimer& operator=(const EstablishTimer&) = delete;

    /// Drives `Tick` every 500 ms from a timer on `executor` while started.
    void RunOn(asio::any_io_executor executor);

    /// Starts a stopped timer with the countdown at 0; a running timer goes on unchanged.
    void Start();
    /// Stops the timer; its countdown stays as it is.
    void Stop();
    bool Running() const noexcept { return running_; }

    /// Sets the countdown so that the next expiry comes `seconds` working ticks from now (a
    /// value below 1 expires on every working tick).
    void Reload(std::int32_t seconds) noexcept;
    /// Working ticks left before the next expiry, less one (below 0: expired).
    std::int32_t Countdown() const noexcept { return countdown_; }

    /// Records the current second as worked, so ticks within it do nothing.
    void MarkSecond();
    /// The "hh:mm:ss" text of the last worked second.
    const std::string& LastSecond() const noexcept { return last_second_; }

    /// The 500 ms tick: nothing while stopped or within the second already worked; otherwise
    /// counts down and calls the expiry handler below 0.
    void Tick();

  private:
    void Arm();

    std::shared_ptr<Clock> clock_;
    std::function<void()> expired_;
    std::optional<asio::steady_timer> timer_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::uint64_t generation_ = 0;
    bool running_ = false;
    std::int32_t countdown_ = 0;
    std::string last_second_;
};

}  // namespace kest
