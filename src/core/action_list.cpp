#include "core/action_list.h"

namespace kest {

void ActionList::Add(std::string key, std::shared_ptr<IEDAction> action) {
    Remove(key);
    entries_.emplace_back(key, std::move(action));
    index_.emplace(std::move(key), std::prev(entries_.end()));
}

void ActionList::Add(const std::shared_ptr<IEDAction>& action) {
    Add(std::to_string(action->TID()), action);
}

bool ActionList::Remove(const std::string& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    entries_.erase(it->second);
    index_.erase(it);
    return true;
}

std::shared_ptr<IEDAction> ActionList::Find(const std::string& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : it->second->second;
}

void ActionList::Clear() noexcept {
    index_.clear();
    entries_.clear();
}

}  // namespace kest
