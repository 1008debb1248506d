#include "core/establish_timer.h"

#include <chrono>
#include <limits>

namespace kest {

namespace {
constexpr std::chrono::milliseconds kInterval{500};
}  // namespace

EstablishTimer::EstablishTimer(std::shared_ptr<Clock> clock, std::function<void()> expired)
    : clock_(std::move(clock)), expired_(std::move(expired)) {}

EstablishTimer::~EstablishTimer() {
    alive_.reset();  // a queued handler finds the token gone and touches nothing
    if (timer_) timer_->cancel();
}

void EstablishTimer::RunOn(asio::any_io_executor executor) {
    timer_.emplace(std::move(executor));
    if (running_) Arm();
}

void EstablishTimer::Start() {
    if (running_) return;
    running_ = true;
    countdown_ = 0;
    MarkSecond();
    ++generation_;
    if (timer_) Arm();
}

void EstablishTimer::Stop() {
    if (!running_) return;
    running_ = false;
    ++generation_;
    if (timer_) timer_->cancel();
}

void EstablishTimer::Reload(std::int32_t seconds) noexcept {
    countdown_ = seconds < 1 ? -1 : seconds - 1;
}

void EstablishTimer::MarkSecond() {
    last_second_ = FormatLocal(clock_->Now(), "hh:nn:ss");
}

void EstablishTimer::Tick() {
    if (!running_) return;
    std::string now = FormatLocal(clock_->Now(), "hh:nn:ss");
    if (now == last_second_) return;
    last_second_ = now;
    if (countdown_ > std::numeric_limits<std::int32_t>::min()) --countdown_;
    if (countdown_ < 0) expired_();
}

void EstablishTimer::Arm() {
    timer_->expires_after(kInterval);
    std::weak_ptr<int> alive = alive_;
    std::uint64_t generation = generation_;
    timer_->async_wait([this, alive, generation](const std::error_code& ec) {
        if (ec || alive.expired() || generation != generation_) return;
        Arm();  // first: the tick may stop the timer
        Tick();
    });
}

}  // namespace kest
