#include "gemdb/database_setup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>

#include "base/error.h"
#include "base/text.h"
#include "gemdb/embedded_sql.h"
#include "gemdb/gem_catalog.h"
#include "gemdb/sqlite_connection.h"

namespace kest {

namespace {

constexpr int kFileAlreadyExists = 58;

void RemoveIfPresent(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (ec) throw KestException(ec.value(), ec.message() + ": " + path.string());
}

std::filesystem::path WithSuffix(const std::filesystem::path& path, const char* suffix) {
    return std::filesystem::path(path.string() + suffix);
}

// Flushes a file, or a directory entry (a rename is durable only once its directory is).
void Sync(const std::filesystem::path& path, int flags) {
    int fd = ::open(path.c_str(), O_RDONLY | flags);
    if (fd < 0) throw KestException(errno, std::strerror(errno) + (": " + path.string()));
    int rc = ::fsync(fd);
    int saved = errno;
    ::close(fd);
    if (rc != 0) throw KestException(saved, std::strerror(saved) + (": " + path.string()));
}

void BuildDatabase(const std::filesystem::path& path) {
    {
        // A file under construction needs no journal: if anything fails it is thrown away.
        auto db = SqliteConnection::Open(path, SqliteOpenMode::Create);
        db->ExecuteScript("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
        SqliteTransaction transaction(*db);
        db->ExecuteScript(std::string(GemSchemaSql()));
        db->ExecuteScript(std::string(GemDefaultsSql()));
        transaction.Commit();
        // Every connection the control opens later uses the write-ahead log.
        db->ExecuteScript("PRAGMA journal_mode=WAL;");
    }
    Sync(path, 0);
}

void MoveIntoPlace(const std::filesystem::path& building, const std::filesystem::path& path) {
    // A log left by the replaced database would be replayed into the new one.
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        RemoveIfPresent(WithSuffix(path, suffix));
    std::error_code ec;
    std::filesystem::rename(building, path, ec);
    if (ec) throw KestException(ec.value(), ec.message() + ": " + path.string());
    std::filesystem::path directory = path.parent_path();
    Sync(directory.empty() ? std::filesystem::path(".") : directory, O_DIRECTORY);
}

}  // namespace

void ApplyGemSql(const std::filesystem::path& path, std::string_view sql) {
    auto db = SqliteConnection::Open(path, SqliteOpenMode::ReadWrite);
    SqliteTransaction transaction(*db);
    db->ExecuteScript(std::string(sql));
    transaction.Commit();
}

void CreateGemDatabase(const std::filesystem::path& path, bool overwrite) {
    std::error_code ec;
    bool exists = std::filesystem::exists(path, ec);
    if (ec) throw KestException(ec.value(), ec.message() + ": " + path.string());
    if (exists && !overwrite) throw KestException(kFileAlreadyExists, "File already exists");
    std::filesystem::path building = WithSuffix(path, ".creating");
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        RemoveIfPresent(WithSuffix(building, suffix));
    try {
        BuildDatabase(building);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(building, ignored);
        throw;
    }
    MoveIntoPlace(building, path);
}

bool GemDatabaseCheck::Complete() const noexcept {
    return missing_tables.empty() && missing_columns.empty() && missing_variables.empty() &&
           missing_events.empty() && missing_settings.empty() && missing_rows.empty();
}

std::vector<std::string> GemDatabaseCheck::Describe() const {
    std::vector<std::string> lines;
    auto add = [&lines](const std::vector<std::string>& items, const char* what) {
        for (const std::string& item : items)
            lines.push_back(std::string("missing ") + what + ": " + item);
    };
    add(missing_tables, "table");
    add(missing_columns, "column");
    add(missing_variables, "GEM variable");
    add(missing_events, "GEM event");
    add(missing_settings, "setting");
    add(missing_rows, "row");
    return lines;
}

namespace {

std::set<std::string> ColumnsOf(SqliteConnection& db, std::string_view table) {
    std::set<std::string> columns;
    SqliteStatement statement = db.Prepare("SELECT name FROM pragma_table_info(?)");
    statement.BindText(1, table);
    while (statement.Step())
        columns.insert(ToUpperAscii(statement.Text(0)));
    return columns;
}

bool HasRow(SqliteConnection& db, const std::string& sql, std::string_view first,
            std::string_view second = {}) {
    SqliteStatement statement = db.Prepare(sql);
    statement.BindText(1, first);
    if (!second.empty()) statement.BindText(2, second);
    return statement.Step();
}

// Looks each name up in `table`; a table that is missing altogether is reported as such.
void CheckNames(SqliteConnection& db, const std::set<std::string>& absent_tables,
                std::string_view table, std::string_view column,
                std::span<const std::string_view> names, std::vector<std::string>& missing) {
    bool absent = absent_tables.count(std::string(table)) > 0;
    std::string sql = "SELECT 1 FROM " + std::string(table) + " WHERE " + std::string(column) +
                      " = ? COLLATE NOCASE LIMIT 1";
    for (std::string_view name : names) {
        if (absent || !HasRow(db, sql, name)) missing.emplace_back(name);
    }
}

}  // namespace

GemDatabaseCheck CheckGemDatabase(const std::filesystem::path& path) {
    auto db = SqliteConnection::Open(path, SqliteOpenMode::ReadOnly);
    GemDatabaseCheck check;
    std::set<std::string> absent;
    for (const RequiredTable& table : RequiredTables()) {
        std::set<std::string> columns = ColumnsOf(*db, table.name);
        if (columns.empty()) {
            check.missing_tables.emplace_back(table.name);
            absent.emplace(table.name);
            continue;
        }
        for (std::string_view column : table.columns) {
            if (columns.count(ToUpperAscii(column)) == 0) {
                check.missing_columns.push_back(std::string(table.name) + "." +
                                                std::string(column));
                absent.emplace(table.name);  // its rows cannot be looked up either
            }
        }
    }
    CheckNames(*db, absent, "secs_gemvar", "var_name", RequiredGemVariables(),
               check.missing_variables);
    CheckNames(*db, absent, "secs_gemevent", "evt_name", RequiredGemEvents(), check.missing_events);
    CheckNames(*db, absent, "secs_setting", "set_field", RequiredSettings(),
               check.missing_settings);
    for (const RequiredRow& row : RequiredRows()) {
        bool messages = row.table.rfind("secsgem_", 0) == 0;
        std::string sql = "SELECT 1 FROM " + std::string(row.table) +
                          (messages ? " WHERE StreamFunction = ? COLLATE NOCASE"
                                      " AND NameX = ? COLLATE NOCASE LIMIT 1"
                                    : " WHERE attribute_name = ? COLLATE NOCASE"
                                      " AND NumberX = ? COLLATE NOCASE LIMIT 1");
        if (absent.count(std::string(row.table)) > 0 || !HasRow(*db, sql, row.first, row.second)) {
            check.missing_rows.push_back(std::string(row.table) + " " + std::string(row.first) +
                                         "/" + std::string(row.second));
        }
    }
    return check;
}

}  // namespace kest
