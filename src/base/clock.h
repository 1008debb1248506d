#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace kest {

/// The wall clock, injected everywhere time is read, so tests run in simulated time.
class Clock {
  public:
    using TimePoint = std::chrono::system_clock::time_point;
    using SteadyPoint = std::chrono::steady_clock::time_point;
    virtual ~Clock() = default;
    /// The current time.
    virtual TimePoint Now() const = 0;
    /// A time that only moves forward, for counting intervals: setting the wall clock does
    /// not move it.
    virtual SteadyPoint Steady() const = 0;
};

/// The machine's clock.
class SystemClock final : public Clock {
  public:
    TimePoint Now() const override { return std::chrono::system_clock::now(); }
    SteadyPoint Steady() const override { return std::chrono::steady_clock::now(); }
    /// A shared instance for objects created without an explicit clock.
    static std::shared_ptr<Clock> Instance();
};

/// A clock that moves only when told to (tests).
class ManualClock final : public Clock {
  public:
    explicit ManualClock(TimePoint start) : now_(start) {}
    TimePoint Now() const override { return now_; }
    SteadyPoint Steady() const override { return steady_; }
    /// Sets the wall clock only, as setting the machine's time would.
    void Set(TimePoint t) { now_ = t; }
    /// Time passes: both clocks move on.
    void Advance(std::chrono::milliseconds by) {
        now_ += by;
        steady_ += by;
    }

  private:
    TimePoint now_;
    SteadyPoint steady_{};
};

/// A time broken down in the local time zone.
struct LocalTime {
    int year = 0;         ///< four digits
    int month = 0;        ///< 1 to 12
    int day = 0;          ///< 1 to 31
    int hour = 0;         ///< 0 to 23
    int minute = 0;       ///< 0 to 59
    int second = 0;       ///< 0 to 59 (60 on a leap second)
    int hundredths = 0;   ///< 0 to 99
    int day_of_year = 0;  ///< 1 to 366
};

/// `t` in the local time zone.
LocalTime ToLocal(Clock::TimePoint t);

/// The local time `t` as text. Patterns use yyyy, yy, mm (month), dd, hh, nn (minutes), ss and
/// cc (hundredths); other characters are copied: "yyyy-mm-dd", "yyyy/mm/dd hh:nn:ss",
/// "yymmddhhnnss", "yyyymmddhhnnss00", "hh:nn:ss".
std::string FormatLocal(Clock::TimePoint t, const std::string& pattern);

}  // namespace kest
