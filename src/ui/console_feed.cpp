#include "ui/console_feed.h"

#include "ui/console_view.h"

namespace kest {

void ConsoleFeed::Publish(std::string state) {
    {
        const std::lock_guard lock(mutex_);
        state_ = Push("", std::move(state));
    }
    changed_.notify_all();
}

void ConsoleFeed::AddNote(std::string kind, std::string line) {
    const std::lock_guard lock(mutex_);
    Push(std::move(kind), std::move(line));
}

const ConsoleFeed::Entry& ConsoleFeed::Push(std::string kind, std::string text) {
    entries_.push_back(Entry{next_id_++, std::move(kind), std::move(text)});
    if (entries_.size() > kKept) entries_.pop_front();
    return entries_.back();
}

void ConsoleFeed::Wake() {
    changed_.notify_all();
}

std::vector<FeedItem> ConsoleFeed::Wait(std::uint64_t after, std::chrono::milliseconds timeout) {
    std::vector<Entry> found;
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return closed_ || next_id_ - 1 > after; });
        if (closed_) return {};
        const bool behind = after == 0 || entries_.empty() || entries_.front().id > after + 1;
        if (behind && state_.id != 0) {
            found.push_back(state_);
            after = state_.id;
        }
        for (const Entry& entry : entries_) {
            if (entry.id > after) found.push_back(entry);
        }
    }
    std::vector<FeedItem> items;  // formatted outside the lock the loop takes
    items.reserve(found.size());
    for (const Entry& entry : found)
        items.push_back(Item(entry));
    return items;
}

FeedItem ConsoleFeed::Item(const Entry& entry) {
    if (entry.kind.empty()) return FeedItem{entry.id, "state", entry.text};
    return FeedItem{entry.id, "note", ConsoleNoteJson(entry.kind, entry.text)};
}

void ConsoleFeed::Close() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

}  // namespace kest
