#include "gemdb/gemdb.h"

#include "gemdb/sqlite_connection.h"
#include "gemdb/state_change.h"

namespace kest {

GEMDB::GEMDB(std::filesystem::path program_directory)
    : program_directory_(std::move(program_directory)),
      db_file_((program_directory_ / "GEM.mdb").string()) {
    try {
        Main();
    } catch (const KestException&) {
        // Not reported here: the control checks the file first, and the first operation on a
        // database that cannot be opened reports why.
    }
}

GEMDB::~GEMDB() = default;

namespace {

ResultCache ConnectionMode(GEMDBCacheMode mode) {
    return mode == GEMDBCacheMode::UntilNoticed ? ResultCache::UntilNoticed
                                                : ResultCache::CheckEachRead;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

}  // namespace

std::shared_ptr<SqliteConnection> GEMDB::OpenConnection(const std::filesystem::path& path) {
    std::shared_ptr<SqliteConnection> connection =
        SqliteConnection::Open(path, SqliteOpenMode::ReadWrite);
    connection->SetResultCache(ConnectionMode(cache_mode_));
    return connection;
}

SqliteConnection& GEMDB::Main() {
    if (!main_) {
        main_ = program_db_ && SameFile(db_file_, program_directory_ / "GEM.mdb")
                    ? program_db_
                    : OpenConnection(db_file_);
    }
    return *main_;
}

SqliteConnection& GEMDB::ProgramDb() {
    // The text operations and the host handlers' direct statements always use "GEM.mdb" in the
    // program directory, whatever DBFile says.
    if (!program_db_) {
        std::filesystem::path path = program_directory_ / "GEM.mdb";
        program_db_ = main_ && SameFile(path, db_file_) ? main_ : OpenConnection(path);
    }
    return *program_db_;
}

std::size_t GEMDB::CachedStatementCount() const noexcept {
    return main_ ? main_->CachedStatementCount() : 0;
}

std::size_t GEMDB::CachedResultCount() const noexcept {
    return main_ ? main_->CachedResultCount() : 0;
}

void GEMDB::SetCacheMode(GEMDBCacheMode mode) {
    cache_mode_ = mode;
    if (main_) main_->SetResultCache(ConnectionMode(mode));
    if (program_db_ && program_db_ != main_) program_db_->SetResultCache(ConnectionMode(mode));
}

bool GEMDB::NoticeExternalChange() {
    bool changed = false;
    if (main_) changed = main_->NoticeExternalChange();
    if (program_db_ && program_db_ != main_) {
        changed = program_db_->NoticeExternalChange() || changed;
    }
    return changed;
}

void GEMDB::Report(std::string_view operation, int number, std::string text, bool notify) {
    last_error_ = GEMDBErrorInfo{"GEMDB:" + std::string(operation), number, std::move(text)};
    if (!notify) return;
    if (auto parent = parent_.lock()) {
        parent->GEMDBError(last_error_.source, last_error_.number, last_error_.text);
    }
}

void GEMDB::RaiseStateChange(std::string_view name, const Variant& value) {
    auto change = StateChangeFor(name, value);
    if (!change) return;
    auto parent = parent_.lock();
    if (!parent) return;
    parent->GEMDBStateChanged(change->service_name, change->state);
    if (change->spool_check) parent->GEMDBSpoolCheck();
}

void GEMDB::SetDBFile(const std::string& path) {
    Trap("Let DBFile", true, [&] {
        if (path.empty()) throw KestException(5004, "Invalid null value of DBFile.");
        if (path.find(".mdb") == std::string::npos) {
            throw KestException(5003, "Invalid value without <.mdb> of DBFile.");
        }
        // The new path is recorded in the database still in use, then that one is closed.
        SettingSetField("GEMDatabase", FLDID_SETTING::SET_VALUE, path);
        db_file_ = path;
        main_.reset();
        Main();
        return true;
    });
}

void GEMDB::SetParent(std::weak_ptr<GEMDBEvents> parent) {
    parent_ = std::move(parent);
    SettingSetField("GEMDatabase", FLDID_SETTING::SET_VALUE, db_file_);
}

}  // namespace kest
