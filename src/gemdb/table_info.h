#pragma once

#include <span>
#include <string_view>

#include "gemdb/gemdb_enums.h"

namespace kest {

/// How a column's value is read and written.
enum class ColumnKind {
    Long,   ///< 32-bit signed integer
    Text,   ///< text
    YesNo,  ///< Boolean stored as 0/1, tested as non-zero
};

/// One data column of a table.
struct ColumnInfo {
    std::string_view name;
    ColumnKind kind;
};

/// What `GEMDB` knows of a table it addresses generically: its name, its key columns and its
/// data columns in field-identifier order (field 1 is the first column).
struct TableInfo {
    std::string_view table;        ///< the table (the custom one for events and variables)
    std::string_view gem_table;    ///< the GEM table for events and variables, else empty
    std::string_view id_column;    ///< the numeric key column, empty when there is none
    std::string_view name_column;  ///< the text key column, empty when there is none
    std::span<const ColumnInfo> columns;

    /// The table to use: the GEM table when `gem` is true and there is one.
    std::string_view Table(bool gem) const noexcept {
        return gem && !gem_table.empty() ? gem_table : table;
    }
    /// The column of field `field` (from 1); throws `KestException` 5 when there is none.
    const ColumnInfo& Column(int field) const;
};

/// The table information of record type `type`; throws `KestException` 5 for a value outside
/// 1 to 10.
const TableInfo& GetTableInfo(GEM_RECORDTYPE type);

}  // namespace kest
