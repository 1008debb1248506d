#pragma once

// What the report, link and event-enable handlers share: the L,2 body they all start with, the
// U4 IDs they carry, and the look-ups of those IDs in the database.

#include <cstdint>
#include <optional>

#include "secs/item.h"

namespace kest {

class GEMDB;
class GemContext;
class SecsTransaction;

/// The body of the primary of `trans` when it is a list of two; otherwise sends S9F7 (no body)
/// or S9F11 (another shape) and returns null.
const SecsItem* ReadPairBody(GemContext& control, const SecsTransaction& trans);

/// `id` as a database key, or nothing when it is beyond the tables' 32-bit keys.
std::optional<std::int32_t> TableKey(std::uint32_t id);

/// The table of event `ceid`: true for the GEM table (looked in first), false for the user
/// table; nothing when neither has it.
std::optional<bool> FindEventTable(GEMDB& db, std::uint32_t ceid);

/// Whether report `rptid` is defined.
bool ReportExists(GEMDB& db, std::uint32_t rptid);

}  // namespace kest
