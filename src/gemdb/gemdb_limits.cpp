#include "gemdb/gemdb.h"
#include "gemdb/gemdb_rows.h"

namespace kest {

namespace {

constexpr const char* kLimitColumns =
    "SELECT limit_id, var_id, UpperDB, LowerDB, TRANSITION_TYPE FROM limit_definition";

KestRecLimit LimitFromRow(const SqliteStatement& row) {
    KestRecLimit limit;
    limit.limit_id = ReadColumn(row, 0, ColumnKind::Long).ToInt32();
    limit.var_id = ReadColumn(row, 1, ColumnKind::Long).ToInt32();
    limit.upper_db = row.IsNull(2) ? "NULL" : row.Text(2);
    limit.lower_db = row.IsNull(3) ? "NULL" : row.Text(3);
    limit.transition_type = ReadColumn(row, 4, ColumnKind::Long).ToInt32();
    return limit;
}

}  // namespace

bool GEMDB::LimitAddAttr(const KestRecLimit& limit) {
    return Trap("LimitAddAttr", false, [&] {
        Main()
            .Prepare(
                "INSERT INTO limit_definition (limit_id, var_id, UpperDB, LowerDB, "
                "TRANSITION_TYPE) VALUES (?, ?, ?, ?, ?)")
            .BindInt(1, limit.limit_id)
            .BindInt(2, limit.var_id)
            .BindText(3, limit.upper_db)
            .BindText(4, limit.lower_db)
            .BindInt(5, limit.transition_type)
            .Run();
        return true;
    });
}

bool GEMDB::LimitDeleteAttr(std::int32_t var_id, std::int32_t limit_id) {
    return Trap("LimitDeleteAttr", false, [&] {
        // 0 stands for "any": both 0 deletes every limit.
        std::string sql = "DELETE FROM limit_definition";
        if (limit_id != 0 && var_id != 0) {
            sql += " WHERE limit_id = ?1 AND var_id = ?2";
        } else if (limit_id != 0) {
            sql += " WHERE limit_id = ?1";
        } else if (var_id != 0) {
            sql += " WHERE var_id = ?2";
        }
        SqliteStatement statement = Main().Prepare(sql);
        if (limit_id != 0) statement.BindInt(1, limit_id);
        if (var_id != 0) statement.BindInt(2, var_id);
        statement.Run();
        return true;
    });
}

std::optional<KestRecLimit> GEMDB::LimitGetAttr(std::int32_t limit_id) {
    return Trap("LimitGetAttr", std::optional<KestRecLimit>(), [&] {
        SqliteStatement statement = Main().Prepare(std::string(kLimitColumns) +
                                                   " WHERE limit_id = ? ORDER BY rowid LIMIT 1");
        statement.BindInt(1, limit_id);
        if (!statement.Step()) return std::optional<KestRecLimit>();
        return std::optional<KestRecLimit>(LimitFromRow(statement));
    });
}

std::vector<KestRecLimit> GEMDB::LimitGetVIDAttr(std::int32_t var_id) {
    return Trap("LimitGetVIDAttr", std::vector<KestRecLimit>(), [&] {
        SqliteStatement statement =
            Main().Prepare(std::string(kLimitColumns) + " WHERE var_id = ? ORDER BY rowid");
        statement.BindInt(1, var_id);
        return ReadRecords(statement, LimitFromRow);
    });
}

std::vector<std::int32_t> GEMDB::LimitGetAllVID() {
    return Trap("LimitGetAllVID", std::vector<std::int32_t>(), [&] {
        SqliteStatement statement =
            Main().Prepare("SELECT DISTINCT var_id FROM limit_definition ORDER BY var_id");
        return ReadIds(statement);
    });
}

}  // namespace kest
