#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

/// One message of a queue.
struct QueueMessage {
    std::int64_t ID = 0;  ///< unique in the store and increasing in the order of sending
    std::string Queue;
    std::string Label;
    std::int32_t Priority = 0;  ///< received highest first
    std::string Body;
    std::int64_t SentTime = 0;  ///< milliseconds since 1970-01-01 UTC
};

/// A queue and the number of messages waiting in it.
struct QueueCount {
    std::string Queue;
    std::int64_t Count = 0;
};

/// How a queue store is opened.
struct QueueStoreOptions {
    /// Create the file (and its tables) when it is missing; a reader that must not create a
    /// store in the wrong place says false.
    bool create = true;
    /// The file never grows beyond this: a send that would exceed it fails with SQLite's
    /// "database or disk is full" (13), so a queue nobody reads cannot fill the disk.
    std::int64_t max_file_bytes = std::int64_t{256} << 20;
};

/// Named message queues in one SQLite file (write-ahead log), shared by every process that opens
/// it: the control sends, the equipment software receives. A message is received once: two
/// readers never get the same message. A send that returned is on disk as far as a crash of the
/// process is concerned (an operating-system crash may lose the last ones).
///
/// Queue names, labels and bodies are byte strings of any content, stored and returned exactly.
/// One object is used by one thread; open one per thread. Failures throw `KestException` with
/// SQLite's extended result code and a text that names the file.
///
///     QueueStore store(QueueStore::PathIn("/opt/tool"));
///     while (auto message = store.Receive("receiveremote", std::chrono::seconds(1))) {
///         Run(message->Label);
///     }
class QueueStore {
  public:
    /// The store's file name in an application directory.
    static constexpr const char* kFileName = "Queues.db";
    /// The store file of the application directory `directory`.
    static std::filesystem::path PathIn(const std::filesystem::path& directory);

    explicit QueueStore(const std::filesystem::path& file, QueueStoreOptions options = {});
    ~QueueStore();
    QueueStore(const QueueStore&) = delete;
    QueueStore& operator=(const QueueStore&) = delete;
    QueueStore(QueueStore&&) noexcept;
    QueueStore& operator=(QueueStore&&) noexcept;

    const std::filesystem::path& File() const noexcept;

    /// Puts a message on `queue` (created on first use); returns its ID.
    std::int64_t Send(std::string_view queue, std::string_view label, std::int32_t priority,
                      std::string_view body);
    /// Removes and returns the next message of `queue`: highest priority first, then oldest.
    std::optional<QueueMessage> Receive(std::string_view queue);
    /// The same, waiting up to `timeout` for a message to arrive. It sleeps until a sender rings
    /// the store's bell ("<store>-bell", inotify), looking again at least every second, or every
    /// 100 ms where file events are not delivered.
    std::optional<QueueMessage> Receive(std::string_view queue, std::chrono::milliseconds timeout);
    /// Removes and returns up to `limit` messages of `queue` in the order `Receive` would give
    /// them, in one transaction: a reader that drains a queue pays for one write, not one each.
    std::vector<QueueMessage> ReceiveUpTo(std::string_view queue, std::int64_t limit);
    /// The same, waiting up to `timeout` for the first message; returns at once what is there.
    std::vector<QueueMessage> ReceiveUpTo(std::string_view queue, std::int64_t limit,
                                          std::chrono::milliseconds timeout);
    /// The message `Receive` would return, left in the queue.
    std::optional<QueueMessage> Peek(std::string_view queue);
    /// Up to `limit` messages of `queue` in the order they would be received, left in place.
    std::vector<QueueMessage> PeekAll(std::string_view queue, std::int64_t limit = INT64_MAX);
    /// The messages of `queue` with an ID above `after`, oldest first, left in place (follow a
    /// queue without consuming it).
    std::vector<QueueMessage> SentAfter(std::string_view queue, std::int64_t after);
    /// Messages waiting in `queue`.
    std::int64_t Count(std::string_view queue);
    /// Every queue ever sent to, by name, with its message count (0 for an emptied queue).
    std::vector<QueueCount> Queues();
    /// Removes every message of `queue`; returns how many were removed.
    std::int64_t Purge(std::string_view queue);
    /// Waits up to `timeout` for any process to send or purge; true when one did (or may have).
    bool WaitForChange(std::chrono::milliseconds timeout);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

/// The queue name of a private-queue path: ".\Private$\receiveremote" names "receiveremote"
/// (the prefix is matched without regard to case); any other text is the name itself.
std::string QueueNameOfPath(std::string_view path);

/// The queues the control sends to: remote commands of S2F21, and the acknowledge codes and
/// download notices of the host's replies.
inline constexpr std::string_view kRemoteCommandQueuePath = ".\\Private$\\receiveremote";
inline constexpr std::string_view kAcknowledgeQueuePath = ".\\Private$\\AcknowledgeReceive";

}  // namespace kest
