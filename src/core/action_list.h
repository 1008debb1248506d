#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/ied_action.h"

namespace kest {

/// The live transaction objects, keyed by the decimal text of their TID (the host-message
/// handler under "EDPrimaryIn"), in the order they were added. Look-ups by key are constant
/// time, so thousands of transactions in flight cost no more per reply than one.
class ActionList {
  public:
    using Entry = std::pair<std::string, std::shared_ptr<IEDAction>>;

    /// Adds `action` under `key`; an existing key is replaced (a TID is unique among the live).
    void Add(std::string key, std::shared_ptr<IEDAction> action);
    /// Adds `action` under the decimal text of its TID.
    void Add(const std::shared_ptr<IEDAction>& action);
    /// Removes the element under `key`; false when there is none.
    bool Remove(const std::string& key);
    /// The element under `key`, or null.
    std::shared_ptr<IEDAction> Find(const std::string& key) const;
    /// True when a transaction with number `tid` is live.
    bool Contains(std::int32_t tid) const { return index_.count(std::to_string(tid)) > 0; }
    /// A copy of the elements, for walking while the list may change.
    std::vector<Entry> Snapshot() const { return {entries_.begin(), entries_.end()}; }
    std::size_t Size() const noexcept { return entries_.size(); }
    void Clear() noexcept;

  private:
    std::list<Entry> entries_;
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

}  // namespace kest
