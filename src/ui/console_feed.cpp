#include "ui/console_feed.h"

namespace kest {

void ConsoleFeed::Publish(std::string event, std::string data) {
    {
        const std::lock_guard lock(mutex_);
        FeedItem item{next_id_++, std::move(event), std::move(data)};
        if (item.event == "state") state_ = item;
        items_.push_back(std::move(item));
        if (items_.size() > kKept) items_.pop_front();
    }
    changed_.notify_all();
}

std::vector<FeedItem> ConsoleFeed::Wait(std::uint64_t after, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return closed_ || next_id_ - 1 > after; });
    std::vector<FeedItem> found;
    if (closed_) return found;
    const bool behind = after == 0 || items_.empty() || items_.front().id > after + 1;
    if (behind && state_.id != 0) {
        found.push_back(state_);
        after = state_.id;
    }
    for (const FeedItem& item : items_) {
        if (item.id > after) found.push_back(item);
    }
    return found;
}

void ConsoleFeed::Close() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

}  // namespace kest
