#include "gemdb_fixture.h"

#include "gemdb/sqlite_connection.h"

#include <stdlib.h>

#include <stdexcept>
#include <string>

namespace kest::testing {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kest-gemdb-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

GemDbTest::GemDbTest()
    : db_path(dir.Path() / "GEM.mdb"), events(std::make_shared<RecordingEvents>()) {
    CreateGemDatabase(db_path, false);
    db = std::make_unique<GEMDB>(dir.Path());
    db->SetParent(events);
}

void GemDbTest::Sql(const std::string& sql) const {
    SqliteConnection::Open(db_path, SqliteOpenMode::ReadWrite)->ExecuteScript(sql);
}

}  // namespace kest::testing
