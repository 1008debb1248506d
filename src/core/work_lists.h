#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "notify/notifications.h"
#include "secs/item.h"

namespace kest {

class SecsTransaction;

/// Remote commands waiting for `ReplyCommand`, keyed by the decimal text of their TID.
class CommandList {
  public:
    void Add(std::shared_ptr<KestCommand> command);
    /// The command with transaction number `tid`, or null.
    std::shared_ptr<KestCommand> Find(std::int32_t tid) const;
    bool Remove(std::int32_t tid);
    bool Contains(std::int32_t tid) const { return Find(tid) != nullptr; }
    /// A copy, for walking while the list may change.
    std::vector<std::shared_ptr<KestCommand>> Snapshot() const { return commands_; }
    std::size_t Size() const noexcept { return commands_.size(); }
    /// Removes the first element until none is left.
    void Clear() noexcept;

  private:
    std::vector<std::shared_ptr<KestCommand>> commands_;
};

/// A process program the host owes after a granted S7F1: its PPID and a countdown in seconds.
struct clsExpectRecipe {
    std::string PPID;
    std::int32_t Countdown = 0;
};

/// One running trace (set up by S2F23) and its sampling state: a sample every period, a report
/// every REPGSZ samples and one for the samples left when TOTSMP is reached.
struct KestRecTrace {
    std::int32_t TRID = 0;
    std::int32_t Period = 0;  ///< seconds between samples (from DSPER)
    std::int32_t TOTSMP = 0;
    std::int32_t REPGSZ = 1;
    std::vector<std::int32_t> SVIDs;  ///< in request order
    std::int32_t SMPLN = 0;           ///< samples taken so far
    int TimerIndex = 0;               ///< the trace timer element it owns (1 to 4)
    std::int32_t Countdown = 0;       ///< seconds to the next sample
    SecsItem Samples;                 ///< the values of the samples not reported yet, in order
    std::int32_t Pending = 0;         ///< how many samples `Samples` holds
};

/// An element of the trace timer array: an interval in milliseconds and whether it runs.
struct TraceTimerElement {
    int Interval = 0;
    bool Enabled = false;
};

/// Spooled messages, oldest first.
using SpoolQueue = std::deque<std::shared_ptr<SecsTransaction>>;

}  // namespace kest
