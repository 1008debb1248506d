#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "secs/item.h"

namespace kest {

class GemContext;
class KestRecVariable;

/// An item of `format` holding `text` converted by the format ("NULL" counts as the empty text:
/// numbers 0, text ""). Raises KestException 13 or 6 for a text that is not numeric or does not
/// fit the format.
SecsItem ItemFromText(enmItemFormat format, const std::string& text);

/// The current time as the clock variable reports it: "yymmddhhmmss" when "TimeFormat" is 0,
/// else "yyyymmddhhmmss00".
std::string ClockText(GemContext& control);

/// The item for variable `vid` in a message that carries stored values (S1F4, S6F11, S6F1,
/// S6F16, S6F20 ...): L,0 for an unknown variable or a member of a list variable; the special
/// GEM variables "Clock", "SpoolCountActual", "AlarmsEnable", "AlarmsSet" and "EventsEnabled"
/// computed; other list variables filled from their children; any other variable its stored
/// value converted by its format.
SecsItem VariableValueItem(GemContext& control, std::int32_t vid);

/// The item for a variable record (found in the GEM table when `gem`).
SecsItem VariableValueItem(GemContext& control, const KestRecVariable& record, bool gem);

/// Fills `list` with one item per child of list variable `parent`, GEM children first, in
/// access-ID order; a child that allows duplicates gives one item per comma-separated value, a
/// list child is filled in turn. A variable that contains itself is not followed again.
void AddListItem(GemContext& control, SecsItem& list, const KestRecVariable& parent);

}  // namespace kest
