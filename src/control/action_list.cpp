#include "control/action_list.h"

#include <algorithm>

namespace kest {

void ActionList::Add(std::string key, std::shared_ptr<IEDAction> action) {
    Remove(key);
    entries_.emplace_back(std::move(key), std::move(action));
}

void ActionList::Add(const std::shared_ptr<IEDAction>& action) {
    Add(std::to_string(action->TID()), action);
}

bool ActionList::Remove(const std::string& key) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.first == key; });
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
}

std::shared_ptr<IEDAction> ActionList::Find(const std::string& key) const {
    for (const auto& [k, action] : entries_) {
        if (k == key) return action;
    }
    return nullptr;
}

}  // namespace kest
