#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace kest {

/// One server-sent event: its name ("state", "note") and its JSON data.
struct FeedItem {
    std::uint64_t id = 0;
    std::string event;
    std::string data;
};

/// What the control's loop publishes for open consoles and their request threads wait on:
/// the newest state snapshot and the last notifications, each numbered. A page that falls
/// behind by more than the kept items starts again from the newest state.
class ConsoleFeed {
  public:
    static constexpr std::size_t kKept = 256;

    /// Adds an item (called on the control's loop); wakes every waiting reader.
    void Publish(std::string event, std::string data);
    /// The items after `after`, waiting up to `timeout` when there are none. The newest state
    /// snapshot comes first when `after` is 0 or too old. Empty on timeout or `Close`.
    std::vector<FeedItem> Wait(std::uint64_t after, std::chrono::milliseconds timeout);
    /// Ends every wait, now and later (the console is stopping).
    void Close();

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<FeedItem> items_;
    FeedItem state_;
    std::uint64_t next_id_ = 1;
    bool closed_ = false;
};

}  // namespace kest
