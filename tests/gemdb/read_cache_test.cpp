// The read cache: what GEMDB serves from memory must be what the file holds, after our own
// writes through any operation, after writes by other connections and processes (in each
// cache mode), and around transactions and schema changes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>

#include "gemdb/database_change_watch.h"
#include "gemdb/sqlite_connection.h"
#include "gemdb_fixture.h"
#include "support/test_helpers.h"

namespace kest::testing {
namespace {

template <typename List>
std::string Join(const List& list) {
    std::ostringstream out;
    for (const auto& item : list)
        out << item << ',';
    return out.str();
}

// One read of every kind the control makes, through both connections of GEMDB, and of two keys
// of one statement (so kept rows cannot answer another key).
std::string Snapshot(GEMDB& db) {
    std::ostringstream out;
    out << db.VariableGetField("SpoolCountTotal", FLDID_VARIABLE::VAR_VAL, true).ToText() << '|'
        << db.VariableGetField("spoolcountactual", FLDID_VARIABLE::VAR_VAL, true).ToText() << '|'
        << db.GetVariableDetails(37, "secs_gemvar") << '|' << db.VariableGetAll(false).size() << '|'
        << db.SettingGetField("AutoPurge", FLDID_SETTING::SET_VALUE).ToText() << '|'
        << db.SFGetRecord(5, 1)->spool_enable << Join(db.SFGetFunc(7)) << '|'
        << Join(db.EvtRptGetVarList(4)) << Join(db.EvtRptGetReportList(6)) << '|'
        << db.GetReportList(7) << '|' << db.EventGetRecord(4, true)->Enable()
        << Join(db.EventGetEnabled(true)) << '|' << Join(db.AlarmGetAll()) << '|'
        << db.ReportGetAll().size() << '|' << Join(db.LimitGetAllVID()) << '|'
        << db.readfrommysqlgen("secsgem_host_to_equip", "S10F3", "MessageFromHost");
    return out.str();
}

struct Write {
    const char* name;
    std::function<bool(GEMDB&)> write;
};

const Write kWrites[] = {
    {"VariableSetField",
     [](GEMDB& db) {
         return db.VariableSetField("SpoolCountActual", FLDID_VARIABLE::VAR_VAL, "7", true);
     }},
    {"VariableAddRecord",
     [](GEMDB& db) {
         KestRecVariable v;
         v.SetID(1001);
         v.SetName("Added");
         return db.VariableAddRecord(v);
     }},
    {"SettingSetField",
     [](GEMDB& db) {
         db.SettingSetField("AutoPurge", FLDID_SETTING::SET_VALUE, "17");
         return true;
     }},
    {"SFSetField",
     [](GEMDB& db) { return db.SFSetField(5, 1, FLDID_SECSTRANS::SPOOL_ENABLE, false); }},
    {"SpoolDisable", [](GEMDB& db) { return db.SpoolDisable(0); }},
    {"EvtRptAddVariable", [](GEMDB& db) { return db.EvtRptAddVariable(4, 1, 6); }},
    {"EvtRptDelVariable", [](GEMDB& db) { return db.EvtRptDelVariable(4, 33); }},
    {"EvtRptLinkReport", [](GEMDB& db) { return db.EvtRptLinkReport(7, 2, 2); }},
    {"EvtRptUnlinkReport", [](GEMDB& db) { return db.EvtRptUnlinkReport(6, 4); }},
    {"EvtRptDelAll", [](GEMDB& db) { return db.EvtRptDelAll(); }},
    {"EventSetField",
     [](GEMDB& db) { return db.EventSetField(4, FLDID_EVENT::EVT_ENABLE, false, true); }},
    {"EventEnableAll", [](GEMDB& db) { return db.EventEnableAll(false, true); }},
    {"AlarmAddRecord",
     [](GEMDB& db) {
         KestRecAlarm alarm;
         alarm.SetID(9);
         alarm.SetName("Door");
         return db.AlarmAddRecord(alarm);
     }},
    {"ReportAddRecord",
     [](GEMDB& db) {
         KestRecReport report;
         report.SetID(101);
         report.SetName("Extra");
         return db.ReportAddRecord(report);
     }},
    {"LimitAddAttr",
     [](GEMDB& db) {
         return db.LimitAddAttr({1, 36, "1", "0", 0});
     }},
    {"UpdateMessageToMDB", [](GEMDB& db) {
         return db.UpdateMessageToMDB("secsgem_host_to_equip", "S10F3", "MessageFromHost", "hi");
     }}};

class ReadCache : public GemDbTest, public ::testing::WithParamInterface<GEMDBCacheMode> {
  protected:
    void SetUp() override { db->SetCacheMode(GetParam()); }
    std::string FromFile() const {
        GEMDB fresh(dir.Path());
        return Snapshot(fresh);
    }
};

TEST_P(ReadCache, EveryWriteIsSeenByTheReadsThatFollow) {
    for (const Write& write : kWrites) {
        SCOPED_TRACE(write.name);
        db.reset();
        CreateGemDatabase(db_path, true);
        db = std::make_unique<GEMDB>(dir.Path());
        db->SetCacheMode(GetParam());
        std::string before = Snapshot(*db);
        ASSERT_GT(db->CachedResultCount(), 10u);
        ASSERT_TRUE(write.write(*db)) << db->LastError().text;
        std::string after = Snapshot(*db);
        EXPECT_NE(after, before) << "the write shows in no read";
        EXPECT_EQ(after, FromFile());
        EXPECT_EQ(db->LastError().number, 0) << db->LastError().text;
    }
}

// Another process writes the file: the default mode sees it at once; the control's mode keeps
// serving what it kept until the change is noticed, and our own writes keep the cache.
TEST_P(ReadCache, AWriteByAnotherProcessIsSeen) {
    DatabaseChangeWatch watch(db_path);
    std::string before = Snapshot(*db);
    watch.Drain();  // opening the file may have written its log
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        GEMDB writer(dir.Path());
        writer.SettingSetField("AutoPurge", FLDID_SETTING::SET_VALUE, "99");
        ::_exit(writer.LastError().number == 0 ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    std::string changed = FromFile();
    ASSERT_NE(changed, before);
    bool noticed = GetParam() == GEMDBCacheMode::UntilNoticed;
    EXPECT_EQ(Snapshot(*db), noticed ? before : changed);
    EXPECT_TRUE(watch.Drain());
    EXPECT_EQ(db->NoticeExternalChange(), noticed);  // CheckEveryRead dropped them already
    EXPECT_EQ(Snapshot(*db), changed);

    // Our own write fires the watch too, and keeps everything it did not touch.
    watch.Drain();
    ASSERT_TRUE(db->EvtRptAddVariable(4, 1, 6));
    std::size_t kept = db->CachedResultCount();
    EXPECT_TRUE(watch.Drain());
    EXPECT_FALSE(db->NoticeExternalChange());
    EXPECT_FALSE(watch.Drain()) << "a notice must not fire the watch again";
    EXPECT_EQ(db->CachedResultCount(), kept);
    EXPECT_EQ(Snapshot(*db), FromFile());
}

INSTANTIATE_TEST_SUITE_P(Modes, ReadCache,
                         ::testing::Values(GEMDBCacheMode::CheckEveryRead,
                                           GEMDBCacheMode::UntilNoticed),
                         [](const auto& info) {
                             return info.param == GEMDBCacheMode::UntilNoticed ? "UntilNoticed"
                                                                               : "CheckEveryRead";
                         });

TEST(DatabaseChangeWatch, ReportsOnlyTheDatabaseAndItsLogs) {
    TempDir dir;
    DatabaseChangeWatch watch(dir.Path() / "GEM.mdb");
    EXPECT_FALSE(watch.Drain());
    const std::pair<const char*, bool> kFiles[] = {
        {"GEM.mdb", true},      {"GEM.mdb-wal", true},  {"GEM.mdb-journal", true},
        {"GEM.mdb-shm", false}, {"GEM.mdb.bak", false}, {"Other.mdb", false}};
    for (const auto& [name, concerns] : kFiles) {
        std::ofstream(dir.Path() / name) << "x";
        EXPECT_EQ(watch.Drain(), concerns) << name;
        std::filesystem::remove(dir.Path() / name);
        EXPECT_EQ(watch.Drain(), concerns) << name << " deleted";
    }
    EXPECT_EQ(test::ErrorNumber([&] { DatabaseChangeWatch(dir.Path() / "no" / "GEM.mdb"); }), 75);
}

// On the connection: what is kept inside a transaction, a function whose result varies, a
// view redefined by another connection, and a write that meets another writer.
class Connection : public GemDbTest {
  protected:
    std::unique_ptr<SqliteConnection> Open(ResultCache mode) const {
        auto connection = SqliteConnection::Open(db_path, SqliteOpenMode::ReadWrite);
        connection->SetResultCache(mode);
        return connection;
    }
    static std::string Read(SqliteConnection& c, const std::string& sql) {
        auto statement = c.Prepare(sql);
        return statement.Step() ? statement.Text(0) : "none";
    }
};

TEST_F(Connection, RollbacksScriptsAndSchemaChangesLeaveNothingStale) {
    auto c = Open(ResultCache::UntilNoticed);
    const std::string read = "SELECT set_value FROM secs_setting WHERE set_field = 'AutoPurge'";
    std::string before = Read(*c, read);
    {
        SqliteTransaction transaction(*c);
        c->Prepare("UPDATE secs_setting SET set_value = 'x' WHERE set_field = 'AutoPurge'").Run();
        EXPECT_EQ(Read(*c, read), "x");
    }
    EXPECT_EQ(Read(*c, read), before);
    c->ExecuteScript("UPDATE secs_setting SET set_value = 'y' WHERE set_field = 'AutoPurge'");
    EXPECT_EQ(Read(*c, read), "y");
    c->Prepare("DROP TABLE secs_setting").Run();  // a statement of unknown effect
    EXPECT_NE(test::ErrorNumber([&] { Read(*c, read); }), 0);
}

// A read that fails part-way still gives the rows before the failure, and is not kept.
TEST_F(Connection, AReadThatFailsPartWayGivesItsFirstRowsThenTheError) {
    Sql("CREATE TABLE numbers (v INTEGER);"
        "INSERT INTO numbers VALUES (1), (-2), (-9223372036854775808)");
    auto c = Open(ResultCache::UntilNoticed);
    for (int run = 0; run < 2; ++run) {
        auto statement = c->Prepare("SELECT abs(v) FROM numbers ORDER BY rowid");
        ASSERT_TRUE(statement.Step());
        ASSERT_TRUE(statement.Step());
        EXPECT_EQ(statement.Int(0), 2);
        EXPECT_NE(test::ErrorNumber([&] { statement.Step(); }), 0);  // integer overflow
    }
    EXPECT_EQ(c->CachedResultCount(), 0u);
}

TEST_F(Connection, AReadThatCallsAVaryingFunctionIsNotKept) {
    auto c = Open(ResultCache::UntilNoticed);
    const std::string read = "SELECT random() FROM secs_setting LIMIT 1";
    EXPECT_NE(Read(*c, read), Read(*c, read));
    EXPECT_EQ(c->CachedResultCount(), 0u);
}

TEST_F(Connection, AViewRedefinedElsewhereIsReadThroughItsNewTables) {
    Sql("CREATE VIEW v AS SELECT set_value FROM secs_setting WHERE set_field = 'AutoPurge'");
    auto c = Open(ResultCache::UntilNoticed);
    Read(*c, "SELECT * FROM v");
    Sql("DROP VIEW v; CREATE VIEW v AS SELECT evt_name FROM secs_gemevent WHERE evt_id = 4");
    EXPECT_TRUE(c->NoticeExternalChange());
    EXPECT_EQ(Read(*c, "SELECT * FROM v"), "GemProcessStateChange");
    c->Prepare("UPDATE secs_gemevent SET evt_name = 'Renamed' WHERE evt_id = 4").Run();
    EXPECT_EQ(Read(*c, "SELECT * FROM v"), "Renamed");
}

// A notice that cannot wait for a writer (it holds its transaction past the busy timeout)
// leaves kept reads checked one by one, so the writer's commit is seen without another notice.
TEST_F(Connection, ANoticeThatCannotWaitForAWriterChecksEachReadAfter) {
    auto c = Open(ResultCache::UntilNoticed);
    const std::string read = "SELECT set_value FROM secs_setting WHERE set_field = 'AutoPurge'";
    Read(*c, read);
    auto other = Open(ResultCache::Off);
    {
        SqliteTransaction writing(*other);
        other->Prepare("UPDATE secs_setting SET set_value = 'z' WHERE set_field = 'AutoPurge'")
            .Run();
        EXPECT_FALSE(c->NoticeExternalChange());
        writing.Commit();
    }
    EXPECT_EQ(Read(*c, read), "z");
}

TEST_F(Connection, AWriteMeetingAnotherWriterFailsWithinAFractionOfASecond) {
    auto other = Open(ResultCache::Off);
    SqliteTransaction holding(*other);
    other->Prepare("UPDATE secs_setting SET set_value = 'x' WHERE set_field = 'AutoPurge'").Run();
    auto start = std::chrono::steady_clock::now();
    db->SettingSetField("AutoPurge", FLDID_SETTING::SET_VALUE, "y");
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(LastErrorNumber() & 0xff, 5);  // SQLITE_BUSY
    EXPECT_LT(waited, std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace kest::testing
