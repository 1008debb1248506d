#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/clock.h"

namespace kest {

/// Transaction numbers (`TID`): day of the year × 86400 + seconds since local midnight + a
/// counter that is incremented first and reset to 0 after use once it has reached 100000000.
/// A number still in use (a live transaction or a waiting command) is skipped.
class TransactionNumbers {
  public:
    static constexpr std::int32_t kCounterLimit = 100000000;

    explicit TransactionNumbers(std::shared_ptr<Clock> clock = SystemClock::Instance())
        : clock_(std::move(clock)) {}

    /// The next number for which `in_use` is false (`in_use` may be empty).
    std::int32_t Next(const std::function<bool(std::int32_t)>& in_use = {});
    /// The same, for the time `now` (the caller's clock).
    std::int32_t Next(Clock::TimePoint now, const std::function<bool(std::int32_t)>& in_use);

    /// The counter's current value.
    std::int32_t Counter() const noexcept { return counter_; }
    void SetCounter(std::int32_t value) noexcept { counter_ = value; }

    /// The process-wide sequence that transactions and remote commands share.
    static TransactionNumbers& Shared();

  private:
    std::int32_t Take(Clock::TimePoint now);

    std::shared_ptr<Clock> clock_;
    std::int32_t counter_ = 0;
};

}  // namespace kest
