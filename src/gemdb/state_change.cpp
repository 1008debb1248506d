#include "gemdb/state_change.h"

#include <array>
#include <cstdint>

#include "base/error.h"
#include "base/text.h"

namespace kest {

namespace {

constexpr std::array<std::string_view, 3> kCommStates{"Disabled", "EnabledNotCommunicating",
                                                      "EnabledCommunicating"};
constexpr std::array<std::string_view, 5> kControlStates{
    "EquipmentOffline", "AttemptOnline", "HostOffline", "OnlineLocal", "OnlineRemote"};
constexpr std::array<std::string_view, 7> kSpoolStates{
    "SpoolActive",   "SpoolInActive", "SpoolPurge", "SpoolTransmit",
    "SpoolNoOutput", "SpoolNotFull",  "SpoolFull"};

std::optional<std::int32_t> AsInteger(const Variant& value) {
    try {
        return value.ToInt32();
    } catch (const KestException&) {
        return std::nullopt;  // not a state value at all: no notification
    }
}

template <std::size_t N>
std::optional<StateChange> Pick(const std::array<std::string_view, N>& states, int first,
                                std::int32_t value, const char* service, bool spool_check) {
    if (value < first || value >= first + static_cast<int>(N)) return std::nullopt;
    return StateChange{service, std::string(states[static_cast<std::size_t>(value - first)]),
                       spool_check};
}

}  // namespace

std::optional<StateChange> StateChangeFor(std::string_view name, const Variant& value) {
    bool comm = EqualsNoCase(name, "CommState");
    bool control = EqualsNoCase(name, "ControlState");
    bool spool = EqualsNoCase(name, "SpoolState") || EqualsNoCase(name, "SpoolLoadSubstate") ||
                 EqualsNoCase(name, "SpoolUnloadSubstate");
    if (!comm && !control && !spool) return std::nullopt;
    auto number = AsInteger(value);
    if (!number) return std::nullopt;
    if (comm) return Pick(kCommStates, 0, *number, "GEMCommunication", *number <= 1);
    if (control) return Pick(kControlStates, 1, *number, "GEMControl", *number <= 3);
    return Pick(kSpoolStates, 1, *number, "GEMSpool", false);
}

}  // namespace kest
