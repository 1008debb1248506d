#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

/// Creates a fresh GEM database at `path` from the compiled-in schema and default rows. An
/// existing file is refused (`KestException` 58) unless `overwrite` is true; it is then
/// replaced whole, with its write-ahead log. The database is built beside `path` and moved
/// into place at the end, so a failure never leaves half a database at `path`. Other failures
/// throw `KestException` with SQLite's code and text, or errno and its text.
void CreateGemDatabase(const std::filesystem::path& path, bool overwrite);

/// Runs the SQL script `sql` on the existing database at `path` in one transaction: an
/// equipment's own variables, events, reports and alarms on top of the defaults. Throws
/// `KestException` with SQLite's code and text when a statement fails (nothing is changed then).
void ApplyGemSql(const std::filesystem::path& path, std::string_view sql);

/// What a GEM database lacks of what the system needs.
struct GemDatabaseCheck {
    std::vector<std::string> missing_tables;     ///< table names
    std::vector<std::string> missing_columns;    ///< "table.column"
    std::vector<std::string> missing_variables;  ///< GEM variable names
    std::vector<std::string> missing_events;     ///< GEM collection event names
    std::vector<std::string> missing_settings;   ///< settings row names
    std::vector<std::string> missing_rows;       ///< "table key/key" of updated message rows

    /// True when nothing is missing.
    bool Complete() const noexcept;
    /// One line per missing item, such as "missing GEM variable: CommState".
    std::vector<std::string> Describe() const;
};

/// Checks the database at `path` (opened read-only) for every table and column, GEM variable,
/// GEM collection event, settings row and message row the system needs. Throws
/// `KestException` when the file cannot be opened or is not a database.
GemDatabaseCheck CheckGemDatabase(const std::filesystem::path& path);

}  // namespace kest
