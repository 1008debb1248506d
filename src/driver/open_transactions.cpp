#include "driver/open_transactions.h"

#include <algorithm>

namespace kest {

namespace {
constexpr std::uint32_t kLastDataSystemBytes = 0x7FFFFFFF;
}

std::uint32_t OpenTransactions::NextSystemBytes() {
    // At most Size() values are taken, so this ends within Size() + 1 steps.
    for (;;) {
        counter_ = counter_ >= kLastDataSystemBytes ? 1 : counter_ + 1;
        if (open_.find(counter_) == open_.end()) return counter_;
    }
}

void OpenTransactions::Open(std::uint32_t system_bytes, Entry entry) {
    open_[system_bytes] = std::move(entry);
}

const OpenTransactions::Entry* OpenTransactions::Find(std::uint32_t system_bytes) const {
    auto it = open_.find(system_bytes);
    return it == open_.end() ? nullptr : &it->second;
}

std::optional<OpenTransactions::Entry> OpenTransactions::Take(std::uint32_t system_bytes) {
    auto it = open_.find(system_bytes);
    if (it == open_.end()) return std::nullopt;
    Entry entry = std::move(it->second);
    open_.erase(it);
    return entry;
}

std::vector<std::pair<std::uint32_t, OpenTransactions::Entry>> OpenTransactions::TakeExpired(
    TimePoint now) {
    std::vector<std::pair<std::uint32_t, Entry>> expired;
    for (auto it = open_.begin(); it != open_.end();) {
        if (it->second.deadline <= now) {
            expired.emplace_back(it->first, std::move(it->second));
            it = open_.erase(it);
        } else {
            ++it;
        }
    }
    // Oldest first, so the errors come out in the order the messages were sent.
    std::sort(expired.begin(), expired.end(),
              [](const auto& a, const auto& b) { return a.second.deadline < b.second.deadline; });
    return expired;
}

std::vector<std::pair<std::uint32_t, OpenTransactions::Entry>> OpenTransactions::TakeAll() {
    std::vector<std::pair<std::uint32_t, Entry>> all;
    for (auto& [sb, entry] : open_)
        all.emplace_back(sb, std::move(entry));
    open_.clear();
    return all;
}

std::optional<OpenTransactions::TimePoint> OpenTransactions::EarliestDeadline() const {
    std::optional<TimePoint> earliest;
    for (const auto& [sb, entry] : open_) {
        if (!earliest || entry.deadline < *earliest) earliest = entry.deadline;
    }
    return earliest;
}

void SentHistory::Add(const MessageHeader& header) {
    entries_[next_] = header;
    next_ = (next_ + 1) % kSize;
}

std::optional<MessageHeader> SentHistory::Find(std::uint32_t system_bytes) const {
    // Newest first: system bytes come round again after 2^31 messages.
    for (std::size_t i = 1; i <= kSize; ++i) {
        const auto& entry = entries_[(next_ + kSize - i) % kSize];
        if (entry && entry->system_bytes == system_bytes) return entry;
    }
    return std::nullopt;
}

}  // namespace kest
