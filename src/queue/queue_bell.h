#pragma once

#include <chrono>
#include <filesystem>

namespace kest {

/// Wakes the waiting readers of a queue store once a send has committed: a one-byte file beside
/// the store that each send writes and that waiting readers watch (inotify on the file). File
/// events of the store itself come with every page a sender writes, mostly before its commit,
/// and would wake a reader several times a message to find nothing.
///
/// Ringing is best effort: a sender that cannot write the bell (a read-only file) still sends,
/// and its readers find the message at their next look, within a second.
class QueueBell {
  public:
    /// The bell of the store `store_file` ("<store>-bell").
    explicit QueueBell(const std::filesystem::path& store_file);
    ~QueueBell();
    QueueBell(const QueueBell&) = delete;
    QueueBell& operator=(const QueueBell&) = delete;

    /// Tells the waiting readers that something was sent.
    void Ring() noexcept;
    /// Starts watching, so a ring after this call ends the next `Wait` at once.
    void Arm();
    /// Waits up to `timeout` for a ring; true when one came (or may have: the bell was replaced,
    /// events were lost, or inotify is refused and the wait was a short nap).
    bool Wait(std::chrono::milliseconds timeout);

  private:
    void Disarm() noexcept;

    std::filesystem::path file_;
    int ring_fd_ = -1;
    int watch_fd_ = -1;
    bool refused_ = false;
};

}  // namespace kest
