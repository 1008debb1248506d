#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "driver/secs_transaction.h"
#include "driver/transport.h"

namespace kest {

/// The primaries sent with the W-bit that still wait for their reply, keyed by system bytes,
/// each with its T3 deadline. Also hands out the system bytes of data messages: 1 to 0x7FFFFFFF,
/// never one that is open (control requests use the upper half, so the two never meet).
class OpenTransactions {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    struct Entry {
        std::shared_ptr<SecsTransaction> transaction;
        TimePoint deadline;
        int retries_left = 0;  ///< sends still allowed when T3 expires
    };

    /// `last_issued`: the system bytes handed out last (the next call continues after them).
    explicit OpenTransactions(std::uint32_t last_issued = 0) : counter_(last_issued) {}

    /// System bytes for a new data message.
    std::uint32_t NextSystemBytes();
    /// Registers a transaction under `system_bytes` (replacing whatever was there).
    void Open(std::uint32_t system_bytes, Entry entry);
    /// The entry under `system_bytes`, or null.
    const Entry* Find(std::uint32_t system_bytes) const;
    /// Removes and returns the entry under `system_bytes`.
    std::optional<Entry> Take(std::uint32_t system_bytes);
    /// Removes and returns every entry whose deadline is at or before `now`.
    std::vector<std::pair<std::uint32_t, Entry>> TakeExpired(TimePoint now);
    /// Removes and returns every entry.
    std::vector<std::pair<std::uint32_t, Entry>> TakeAll();
    /// The earliest deadline, if any entry is open.
    std::optional<TimePoint> EarliestDeadline() const;
    std::size_t Size() const noexcept { return open_.size(); }

  private:
    std::unordered_map<std::uint32_t, Entry> open_;
    std::uint32_t counter_;
};

/// The headers of the last data messages sent, so that a Reject.req for a message that expected
/// no reply can still name it.
class SentHistory {
  public:
    /// Remembers that `header` went out.
    void Add(const MessageHeader& header);
    /// The newest header sent with `system_bytes`, or none when it is no longer remembered.
    std::optional<MessageHeader> Find(std::uint32_t system_bytes) const;

  private:
    static constexpr std::size_t kSize = 64;
    std::array<std::optional<MessageHeader>, kSize> entries_{};
    std::size_t next_ = 0;
};

}  // namespace kest
