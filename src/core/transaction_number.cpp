#include "core/transaction_number.h"

namespace kest {

std::int32_t TransactionNumbers::Take(Clock::TimePoint time) {
    LocalTime now = ToLocal(time);
    std::int32_t base =
        now.day_of_year * 24 * 60 * 60 + now.hour * 3600 + now.minute * 60 + now.second;
    ++counter_;
    std::int32_t tid = base + counter_;
    if (counter_ >= kCounterLimit) counter_ = 0;
    return tid;
}

std::int32_t TransactionNumbers::Next(const std::function<bool(std::int32_t)>& in_use) {
    return Next(clock_->Now(), in_use);
}

std::int32_t TransactionNumbers::Next(Clock::TimePoint now,
                                      const std::function<bool(std::int32_t)>& in_use) {
    std::int32_t tid = Take(now);
    // Bounded: the counter covers 10^8 values and the live transactions are few.
    for (int attempts = 0; in_use && in_use(tid) && attempts < 1000; ++attempts) {
        tid = Take(now);
    }
    return tid;
}

TransactionNumbers& TransactionNumbers::Shared() {
    static TransactionNumbers shared;
    return shared;
}

}  // namespace kest
