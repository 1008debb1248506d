#pragma once

// Small helpers many tests share.

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/clock.h"
#include "base/error.h"

namespace kest::test {

/// A time point from a UTC calendar date and time (tests pin TZ to UTC, so it is local too).
inline Clock::TimePoint UtcTime(int year, int month, int day, int hour, int minute, int second,
                                int milliseconds = 0) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return std::chrono::system_clock::from_time_t(timegm(&tm)) +
           std::chrono::milliseconds(milliseconds);
}

/// The whole content of `file` ("" when it cannot be read).
inline std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

/// The KestException number `call` raises, or 0 when it raises none.
template <typename Call>
int ErrorNumber(Call&& call) {
    try {
        call();
    } catch (const KestException& e) {
        return e.Number();
    }
    return 0;
}

}  // namespace kest::test
