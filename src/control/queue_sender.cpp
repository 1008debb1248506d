#include "control/queue_sender.h"

#include "base/error.h"

namespace kest {

namespace {

constexpr std::int32_t kPriority = 5;
constexpr std::string_view kBody = "Null";

}  // namespace

bool QueueSender::Send(std::string_view label, std::string_view queue_path, std::string& why) {
    if (!store_) {
        try {
            store_.emplace(file_);
        } catch (const KestException& e) {
            why = e.what();
            return false;
        }
    }
    try {
        store_->Send(QueueNameOfPath(queue_path), label, kPriority, kBody);
    } catch (const KestException&) {
        store_.reset();  // a store that went bad (replaced, corrupted) is opened afresh
        throw;
    }
    return true;
}

}  // namespace kest
