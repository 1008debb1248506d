#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "base/clock.h"

namespace kest {

/// A clock the host may set.
class SettableClock : public Clock {
  public:
    /// Sets the wall clock to the local time `to` (hundredths ignored); false when it is refused
    /// or no such local time exists, the time then unchanged. `Steady` never moves.
    virtual bool Set(const LocalTime& to) = 0;
};

/// The instant of the local time `time` (hundredths ignored): nothing for a date the calendar
/// does not have or a time skipped by a daylight-saving change; the earlier instant for a time
/// that occurs twice.
std::optional<Clock::TimePoint> FromLocal(const LocalTime& time);

/// Sets the machine's clock; false without the privilege to.
bool SetSystemTime(Clock::TimePoint t);

/// The equipment's clock: a base clock (the machine's, or a test's), set either by setting the
/// base or, in offset mode, by moving an offset ahead of the base, for equipment that may not
/// change the machine's time (containers, unprivileged services).
class EquipmentClock final : public SettableClock {
  public:
    using BaseSetter = std::function<bool(TimePoint)>;
    using OffsetKeeper = std::function<void(std::chrono::milliseconds)>;

    /// Reads `base` and sets it through `set_base`; without a setter every set is refused.
    EquipmentClock(std::shared_ptr<Clock> base, BaseSetter set_base)
        : base_(std::move(base)), set_base_(std::move(set_base)) {}

    TimePoint Now() const override { return base_->Now() + offset_; }
    SteadyPoint Steady() const override { return base_->Steady(); }
    bool Set(const LocalTime& to) override;

    /// Offset mode from now on, `offset` ahead of the base; each set tells `keep` the new
    /// offset so that it survives a restart.
    void UseOffset(std::chrono::milliseconds offset, OffsetKeeper keep);
    bool OffsetMode() const noexcept { return offset_mode_; }
    std::chrono::milliseconds Offset() const noexcept { return offset_; }

  private:
    std::shared_ptr<Clock> base_;
    BaseSetter set_base_;
    bool offset_mode_ = false;
    std::chrono::milliseconds offset_{0};
    OffsetKeeper keep_;
};

}  // namespace kest
