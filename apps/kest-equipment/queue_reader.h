#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <asio/any_io_executor.hpp>

namespace kest {
struct QueueMessage;
}

namespace kest::equipment {

/// The equipment software's side of the local queues, as a real tool would run it. A thread of
/// its own sleeps until the store changes and then asks the equipment's executor to look; there
/// every waiting message of the named queues is received and handed to `on_message`, in the
/// order of the queues given. A message leaves its queue only when it is handled, so one that
/// is waiting at shutdown is there at the next start. Store failures go to `on_error`.
class QueueReader {
  public:
    using MessageHandler = std::function<void(const QueueMessage&)>;
    using ErrorHandler = std::function<void(const std::string&)>;

    QueueReader(std::filesystem::path store, std::vector<std::string> queues,
                asio::any_io_executor executor, MessageHandler on_message, ErrorHandler on_error);
    /// Stops the watching thread (within a fifth of a second); no handler runs afterwards.
    ~QueueReader();
    QueueReader(const QueueReader&) = delete;
    QueueReader& operator=(const QueueReader&) = delete;

  private:
    struct Shared;
    void Watch();

    std::shared_ptr<Shared> shared_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace kest::equipment
