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

SqliteConnection& GEMDB::Main() {
    if (!main_) main_ = SqliteConnection::Open(db_file_, SqliteOpenMode::ReadWrite);
    return *main_;
}

SqliteConnection& GEMDB::ProgramDb() {
    // The text operations and the host handlers' direct statements always use "GEM.mdb" in the
    // program directory, whatever DBFile says.
    if (!program_db_) {
        program_db_ =
            SqliteConnection::Open(program_directory_ / "GEM.mdb", SqliteOpenMode::ReadWrite);
    }
    return *program_db_;
}

std::size_t GEMDB::CachedStatementCount() const noexcept {
    return main_ ? main_->CachedStatementCount() : 0;
}

void GEMDB::Report(std::string_view operation, int number, std::string text) {
    last_error_ = GEMDBErrorInfo{"GEMDB:" + std::string(operation), number, std::move(text)};
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
