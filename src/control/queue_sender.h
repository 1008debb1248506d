#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "queue/queue_store.h"

namespace kest {

/// The control's side of the local queues: one store, opened on first use and kept open, to
/// which it sends labels with priority 5 and the body "Null".
class QueueSender {
  public:
    explicit QueueSender(std::filesystem::path file) : file_(std::move(file)) {}

    /// Sends `label` to the queue of `queue_path`. False, with the reason in `why`, when the
    /// store cannot be opened (a later send tries again). A store that opened but refuses the
    /// message throws `KestException`; it is reopened on the next send.
    bool Send(std::string_view label, std::string_view queue_path, std::string& why);

  private:
    std::filesystem::path file_;
    std::optional<QueueStore> store_;
};

}  // namespace kest
