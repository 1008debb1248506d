#include "core/work_lists.h"

#include <algorithm>

namespace kest {

void CommandList::Add(std::shared_ptr<KestCommand> command) {
    Remove(command->TID());
    commands_.push_back(std::move(command));
}

std::shared_ptr<KestCommand> CommandList::Find(std::int32_t tid) const {
    for (const auto& c : commands_) {
        if (c->TID() == tid) return c;
    }
    return nullptr;
}

bool CommandList::Remove(std::int32_t tid) {
    auto it = std::find_if(commands_.begin(), commands_.end(),
                           [&](const auto& c) { return c->TID() == tid; });
    if (it == commands_.end()) return false;
    commands_.erase(it);
    return true;
}

void CommandList::Clear() noexcept {
    while (!commands_.empty())
        commands_.erase(commands_.begin());
}

}  // namespace kest
