#pragma once

#include <asio/any_io_executor.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <cstdint>
#include <memory>
#include <system_error>
#include <utility>

namespace kest {

/// A restartable one-shot timer. Restarting or cancelling it guarantees that an earlier expiry
/// never runs, even when its completion was already queued.
class Deadline {
  public:
    explicit Deadline(const asio::any_io_executor& executor) : timer_(executor) {}

    /// Runs `on_expiry` once `after` has passed, unless cancelled or restarted first. `owner`
    /// keeps the object holding this deadline alive until the wait completes.
    template <typename Owner, typename F>
    void Start(std::chrono::milliseconds after, std::shared_ptr<Owner> owner, F on_expiry) {
        timer_.expires_after(after);
        std::uint64_t generation = ++generation_;
        armed_ = true;
        timer_.async_wait([this, generation, owner = std::move(owner),
                           on_expiry = std::move(on_expiry)](const std::error_code& ec) mutable {
            if (ec || generation != generation_) return;
            armed_ = false;
            on_expiry();
        });
    }

    /// Stops the deadline; a queued expiry is ignored.
    void Cancel() noexcept {
        ++generation_;
        if (armed_) {
            armed_ = false;
            timer_.cancel();
        }
    }

    /// True between `Start` and the expiry or `Cancel`.
    bool Armed() const noexcept { return armed_; }

  private:
    asio::steady_timer timer_;
    std::uint64_t generation_ = 0;
    bool armed_ = false;
};

}  // namespace kest
