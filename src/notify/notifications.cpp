#include "notify/notifications.h"

namespace kest {

namespace {

Variant Find(const std::vector<KestItem>& items, const std::string& name) {
    for (const auto& item : items) {
        if (item.ItemName == name) return item.ItemValue;
    }
    return {};
}

}  // namespace

Variant KestEvent::Output(const std::string& name) const {
    return Find(outputs_, name);
}

Variant KestMethod::Output(const std::string& name) const {
    return Find(outputs_, name);
}

void KestCommand::AddOutputs(std::string CPNAME, std::int32_t CPACK) {
    KestCmdItem item;
    item.CPNAME = std::move(CPNAME);
    item.CPACK = CPACK;
    outputs_.emplace_back(std::move(item));
}

void KestCommand::AddEnOutputs(std::string CPNAME, std::int32_t CEPACK) {
    KestEnCmdItem item;
    item.CPNAME = std::move(CPNAME);
    item.CEPACK = CEPACK;
    outputs_.emplace_back(std::move(item));
}

}  // namespace kest
