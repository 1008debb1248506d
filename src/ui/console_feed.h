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
///
/// The loop only stores: waking the readers and writing JSON are what a burst of host
/// messages would otherwise pay per notification, so notes wait for the next `Wake` or
/// `Publish`, and their JSON is written by the reader threads.
class ConsoleFeed {
  public:
    static constexpr std::size_t kKept = 256;

    /// Adds a state snapshot (JSON) and wakes every waiting reader.
    void Publish(std::string state);
    /// Adds a notification line of `kind` ("EVENT" ...) without waking anyone.
    void AddNote(std::string kind, std::string line);
    /// Wakes every waiting reader.
    void Wake();
    /// The items after `after`, waiting up to `timeout` when there are none. The newest state
    /// snapshot comes first when `after` is 0 or too old. Empty on timeout or `Close`.
    std::vector<FeedItem> Wait(std::uint64_t after, std::chrono::milliseconds timeout);
    /// Ends every wait, now and later (the console is stopping).
    void Close();

  private:
    struct Entry {
        std::uint64_t id = 0;
        std::string kind;  // a note's kind; empty for a state
        std::string text;  // a note's line, or the state's JSON
    };
    // Numbers and keeps an entry, dropping the oldest beyond kKept (mutex_ held).
    const Entry& Push(std::string kind, std::string text);
    static FeedItem Item(const Entry& entry);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Entry> entries_;
    Entry state_;
    std::uint64_t next_id_ = 1;
    bool closed_ = false;
};

}  // namespace kest
