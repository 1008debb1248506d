#include "base/equipment_clock.h"

#include <ctime>

namespace kest {

namespace {

bool SameLocalTime(const std::tm& a, const LocalTime& b) {
    return a.tm_year + 1900 == b.year && a.tm_mon + 1 == b.month && a.tm_mday == b.day &&
           a.tm_hour == b.hour && a.tm_min == b.minute && a.tm_sec == b.second;
}

}  // namespace

std::optional<Clock::TimePoint> FromLocal(const LocalTime& time) {
    // mktime quietly normalizes (31 April becomes 1 May, a skipped hour moves): a result is only
    // taken when it reads back as the time asked for. Trying standard and daylight time finds
    // both instants of a time that occurs twice.
    std::optional<std::time_t> earliest;
    for (int dst : {0, 1}) {
        std::tm tm{};
        tm.tm_year = time.year - 1900;
        tm.tm_mon = time.month - 1;
        tm.tm_mday = time.day;
        tm.tm_hour = time.hour;
        tm.tm_min = time.minute;
        tm.tm_sec = time.second;
        tm.tm_isdst = dst;
        const std::time_t t = std::mktime(&tm);
        std::tm back{};
        if (t == static_cast<std::time_t>(-1) || localtime_r(&t, &back) == nullptr ||
            !SameLocalTime(back, time)) {
            continue;
        }
        if (!earliest || t < *earliest) earliest = t;
    }
    if (!earliest) return std::nullopt;
    return std::chrono::system_clock::from_time_t(*earliest);
}

bool SetSystemTime(Clock::TimePoint t) {
    const auto since = t.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    timespec ts{};
    ts.tv_sec = static_cast<std::time_t>(seconds.count());
    ts.tv_nsec = static_cast<long>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds).count());
    return clock_settime(CLOCK_REALTIME, &ts) == 0;
}

bool EquipmentClock::Set(const LocalTime& to) {
    const std::optional<TimePoint> target = FromLocal(to);
    if (!target) return false;
    if (!offset_mode_) return set_base_ && set_base_(*target);
    offset_ = std::chrono::duration_cast<std::chrono::milliseconds>(*target - base_->Now());
    if (keep_) keep_(offset_);
    return true;
}

void EquipmentClock::UseOffset(std::chrono::milliseconds offset, OffsetKeeper keep) {
    offset_mode_ = true;
    offset_ = offset;
    keep_ = std::move(keep);
}

}  // namespace kest
