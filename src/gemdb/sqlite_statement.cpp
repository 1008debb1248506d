#include "gemdb/sqlite_statement.h"

#include <sqlite3.h>

#include <limits>
#include <utility>

#include "base/error.h"

namespace kest {

SqliteStatement::~SqliteStatement() {
    if (stmt_ == nullptr) return;
    if (in_use_ != nullptr) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        *in_use_ = false;
    } else {
        sqlite3_finalize(stmt_);
    }
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), in_use_(std::exchange(other.in_use_, nullptr)) {}

void SqliteStatement::Fail(int code) const {
    sqlite3* db = sqlite3_db_handle(stmt_);
    int extended = db != nullptr ? sqlite3_extended_errcode(db) : code;
    throw KestException(extended, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

SqliteStatement& SqliteStatement::Bind(int index, const Variant& value) {
    switch (value.GetKind()) {
        case Variant::Kind::Empty:
            return BindNull(index);
        case Variant::Kind::Boolean:
            return BindInt(index, value.ToBool() ? 1 : 0);
        case Variant::Kind::Integer:
            return BindInt(index, value.ToInt64());
        case Variant::Kind::Unsigned:
            // Beyond the signed 64-bit range SQLite has no integer; keep the exact digits.
            return BindText(index, value.ToText());
        case Variant::Kind::Double: {
            int rc = sqlite3_bind_double(stmt_, index, value.ToDouble());
            if (rc != SQLITE_OK) Fail(rc);
            return *this;
        }
        case Variant::Kind::Text:
            return BindText(index, *value.TextIf());
    }
    return *this;
}

SqliteStatement& SqliteStatement::BindText(int index, std::string_view text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw KestException(SQLITE_TOOBIG, "string or blob too big");
    }
    int rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) Fail(rc);
    return *this;
}

SqliteStatement& SqliteStatement::BindInt(int index, std::int64_t value) {
    int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK) Fail(rc);
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
    int rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK) Fail(rc);
    return *this;
}

bool SqliteStatement::Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(rc);
}

void SqliteStatement::Run() {
    while (Step()) {
    }
}

bool SqliteStatement::IsNull(int column) const noexcept {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::Int(int column) const noexcept {
    return sqlite3_column_int64(stmt_, column);
}

std::string SqliteStatement::Text(int column) const {
    return std::string(TextView(column));
}

std::string_view SqliteStatement::TextView(int column) const noexcept {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    if (text == nullptr) return {};
    return std::string_view(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

Variant SqliteStatement::Value(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_NULL:
            return Variant();
        case SQLITE_INTEGER:
            return Variant(static_cast<long long>(sqlite3_column_int64(stmt_, column)));
        case SQLITE_FLOAT:
            return Variant(sqlite3_column_double(stmt_, column));
        default:
            return Variant(Text(column));
    }
}

}  // namespace kest
