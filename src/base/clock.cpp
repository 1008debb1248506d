#include "base/clock.h"

#include <ctime>

namespace kest {

std::shared_ptr<Clock> SystemClock::Instance() {
    static const std::shared_ptr<Clock> instance = std::make_shared<SystemClock>();
    return instance;
}

LocalTime ToLocal(Clock::TimePoint t) {
    using namespace std::chrono;
    auto seconds = floor<std::chrono::seconds>(t);
    std::time_t tt = system_clock::to_time_t(seconds);
    std::tm tm{};
    localtime_r(&tt, &tm);
    LocalTime out;
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    out.hundredths = static_cast<int>(duration_cast<milliseconds>(t - seconds).count() / 10);
    out.day_of_year = tm.tm_yday + 1;
    return out;
}

namespace {

void AppendPadded(std::string& out, int value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) out.append(width - digits.size(), '0');
    out += digits;
}

}  // namespace

std::string FormatLocal(Clock::TimePoint t, const std::string& pattern) {
    LocalTime lt = ToLocal(t);
    std::string out;
    std::size_t i = 0;
    auto next_is = [&](const char* token) { return pattern.compare(i, 2, token) == 0; };
    while (i < pattern.size()) {
        if (pattern.compare(i, 4, "yyyy") == 0) {
            AppendPadded(out, lt.year, 4);
            i += 4;
            continue;
        }
        int value = -1;
        if (next_is("yy"))
            value = lt.year % 100;
        else if (next_is("mm"))
            value = lt.month;
        else if (next_is("dd"))
            value = lt.day;
        else if (next_is("hh"))
            value = lt.hour;
        else if (next_is("nn"))
            value = lt.minute;
        else if (next_is("ss"))
            value = lt.second;
        else if (next_is("cc"))
            value = lt.hundredths;
        if (value >= 0) {
            AppendPadded(out, value, 2);
            i += 2;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

}  // namespace kest
