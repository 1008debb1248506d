#include "gemdb/gemdb.h"
#include "gemdb/sqlite_connection.h"

namespace kest {

GEMDB::WriteGroup::WriteGroup(GEMDB& db) : db_(db) {
    open_ = db_.Trap("WriteGroup", false, [&] {
        SqliteConnection& main = db_.Main();
        if (main.InTransaction()) return false;
        main.Prepare("BEGIN IMMEDIATE").Run();
        return true;
    });
}

GEMDB::WriteGroup::~WriteGroup() {
    if (!open_) return;
    db_.Trap("WriteGroup", false, [&] {
        SqliteConnection& main = db_.Main();
        // Some failures (a full disk, for one) already rolled the whole transaction back.
        if (!main.InTransaction()) return false;
        try {
            main.Prepare("COMMIT").Run();
        } catch (const KestException&) {
            // The connection must not stay inside a transaction nobody will end.
            if (main.InTransaction()) main.Prepare("ROLLBACK").Run();
            throw;
        }
        return true;
    });
}

}  // namespace kest
