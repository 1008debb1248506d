#include "gemdb/sqlite_statement.h"

#include <sqlite3.h>

#include <limits>
#include <utility>

#include "base/error.h"
#include "gemdb/sqlite_connection.h"

namespace kest {

SqliteStatement::SqliteStatement(SqliteConnection& connection, StatementSlot& slot,
                                 sqlite3_stmt* stmt, bool one_off) noexcept
    : stmt_(stmt),
      connection_(&connection),
      slot_(&slot),
      one_off_(one_off),
      remember_(connection.GetResultCache() != ResultCache::Off && slot.effects.Cacheable()) {}

SqliteStatement::~SqliteStatement() {
    if (stmt_ == nullptr) return;
    if (slot_->write_open) connection_->AbandonRowWrite(*slot_);
    if (!one_off_) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        slot_->in_use = false;
    } else {
        sqlite3_finalize(stmt_);
    }
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)),
      connection_(other.connection_),
      slot_(other.slot_),
      one_off_(other.one_off_),
      remember_(other.remember_),
      params_(std::move(other.params_)),
      rows_(std::move(other.rows_)),
      next_row_(other.next_row_),
      error_code_(other.error_code_),
      error_text_(std::move(other.error_text_)) {}

void SqliteStatement::NoteBinding(int index, char type, std::string_view bytes) {
    // Index, type and length first, so distinct bindings never give the same key.
    std::uint32_t size = static_cast<std::uint32_t>(bytes.size());
    params_.append(reinterpret_cast<const char*>(&index), sizeof index);
    params_ += type;
    params_.append(reinterpret_cast<const char*>(&size), sizeof size);
    params_.append(bytes);
}

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
            double number = value.ToDouble();
            int rc = sqlite3_bind_double(stmt_, index, number);
            if (rc != SQLITE_OK) Fail(rc);
            if (remember_) {
                NoteBinding(
                    index, 'd',
                    std::string_view(reinterpret_cast<const char*>(&number), sizeof number));
            }
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
    if (remember_) NoteBinding(index, 't', text);
    return *this;
}

SqliteStatement& SqliteStatement::BindInt(int index, std::int64_t value) {
    int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK) Fail(rc);
    if (remember_) {
        NoteBinding(index, 'i',
                    std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
    }
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
    int rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK) Fail(rc);
    if (remember_) NoteBinding(index, 'n', {});
    return *this;
}

bool SqliteStatement::Step() {
    if (remember_) return StepRemembered();
    int rc = connection_->Step(stmt_, *slot_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(rc);
}

bool SqliteStatement::StepRemembered() {
    if (!rows_) {
        rows_ = connection_->FindResult(*slot_, params_);
        if (!rows_) {
            auto rows = std::make_shared<CachedRows>();
            rows->columns = sqlite3_column_count(stmt_);
            int rc = SQLITE_ROW;
            while ((rc = connection_->Step(stmt_, *slot_)) == SQLITE_ROW) {
                for (int column = 0; column < rows->columns; ++column) {
                    // Type first: SQLite's conversions below leave it as stored.
                    CachedValue& value = rows->values.emplace_back();
                    value.type = sqlite3_column_type(stmt_, column);
                    if (value.type == SQLITE_NULL) continue;
                    value.integer = sqlite3_column_int64(stmt_, column);
                    value.real = sqlite3_column_double(stmt_, column);
                    value.text = TextView(column);
                }
            }
            if (rc == SQLITE_DONE) {
                sqlite3_reset(stmt_);  // ends the read transaction now
                connection_->StoreResult(*slot_, params_, rows);
            } else {
                sqlite3* db = sqlite3_db_handle(stmt_);
                error_code_ = sqlite3_extended_errcode(db);
                error_text_ = sqlite3_errmsg(db);
                sqlite3_reset(stmt_);
            }
            rows_ = std::move(rows);
        }
    }
    if (next_row_ < rows_->RowCount()) {
        ++next_row_;
        return true;
    }
    if (error_code_ != 0) throw KestException(error_code_, error_text_);
    return false;
}

const CachedValue* SqliteStatement::Cell(int column) const noexcept {
    if (next_row_ == 0 || column < 0 || column >= rows_->columns) return nullptr;
    return &rows_->values[(next_row_ - 1) * static_cast<std::size_t>(rows_->columns) +
                          static_cast<std::size_t>(column)];
}

void SqliteStatement::Run() {
    while (Step()) {
    }
}

bool SqliteStatement::IsNull(int column) const noexcept {
    if (rows_) {
        const CachedValue* cell = Cell(column);
        return cell == nullptr || cell->type == SQLITE_NULL;
    }
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::Int(int column) const noexcept {
    if (rows_) {
        const CachedValue* cell = Cell(column);
        return cell == nullptr ? 0 : cell->integer;
    }
    return sqlite3_column_int64(stmt_, column);
}

std::string SqliteStatement::Text(int column) const {
    return std::string(TextView(column));
}

std::string_view SqliteStatement::TextView(int column) const noexcept {
    if (rows_) {
        const CachedValue* cell = Cell(column);
        return cell == nullptr ? std::string_view() : std::string_view(cell->text);
    }
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    if (text == nullptr) return {};
    return std::string_view(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
}

Variant SqliteStatement::Value(int column) const {
    if (rows_) {
        const CachedValue* cell = Cell(column);
        if (cell == nullptr || cell->type == SQLITE_NULL) return Variant();
        if (cell->type == SQLITE_INTEGER) return Variant(static_cast<long long>(cell->integer));
        if (cell->type == SQLITE_FLOAT) return Variant(cell->real);
        return Variant(cell->text);
    }
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
