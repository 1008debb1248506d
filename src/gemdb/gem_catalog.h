#pragma once

#include <span>
#include <string_view>

namespace kest {

/// A table the system reads or writes, with the columns it uses.
struct RequiredTable {
    std::string_view name;
    std::span<const std::string_view> columns;
};

/// A row that handlers update but never insert: (table, StreamFunction, NameX) or, for the
/// stream 12 tables, (table, attribute_name, NumberX).
struct RequiredRow {
    std::string_view table;
    std::string_view first;
    std::string_view second;
};

/// Every table of the GEM database and its columns.
std::span<const RequiredTable> RequiredTables() noexcept;
/// Every GEM variable (secs_gemvar) the system reads or writes by name.
std::span<const std::string_view> RequiredGemVariables() noexcept;
/// Every GEM collection event (secs_gemevent) the system reports by name.
std::span<const std::string_view> RequiredGemEvents() noexcept;
/// Every settings row (secs_setting).
std::span<const std::string_view> RequiredSettings() noexcept;
/// The message rows the handlers update.
std::span<const RequiredRow> RequiredRows() noexcept;

}  // namespace kest
