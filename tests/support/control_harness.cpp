#include "support/control_harness.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdlib>
#include <ctime>

#include "gemdb/database_setup.h"
#include "gemdb/gemdb.h"

namespace kest::test {

namespace {

std::filesystem::path FreshDirectory() {
    static int counter = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "test";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    auto dir =
        std::filesystem::temp_directory_path() /
        ("kest_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + "_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace

ControlHarness::ControlHarness(HarnessOptions options) : dir(FreshDirectory()) {
    setenv("TZ", "UTC", 1);
    tzset();
    if (options.with_database) CreateGemDatabase(dir / "GEM.mdb", false);
    clock = std::make_shared<ManualClock>(UtcTime(2026, 12, 5, 10, 0, 0));
    driver = std::make_shared<FakeDriver>();
    boxes = std::make_shared<RecordingBoxes>();

    KestServerOptions server_options;
    server_options.clock = clock;
    server_options.driver_factory = [d = driver](asio::any_io_executor) { return d; };
    server_options.boxes = boxes;
    server_options.run_timers = false;
    server_options.listener = KestListener{
        .ErrorNotification = [this](const KestError& e) { errors.push_back(e); },
        .MethodNotification = [this](const KestMethod& m) { methods.push_back(m); },
        .EventNotification = [this](const KestEvent& e) { events.push_back(e); },
        .CommandNotification = [this](KestCommand& c) { commands.push_back(c); },
    };
    server = KestServer::Create(io.get_executor(), dir, server_options);
    core = KestServerAccess::Core(*server);
    if (options.start_tool) server->StartGEMTool();
}

ControlHarness::~ControlHarness() {
    core.reset();
    server.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

void ControlHarness::Communicating() {
    core->SetSetting("PortOpened", "TRUE");
    SetGemVar("CommState", 2);
    SetGemVar("ControlState", 5);
}

void ControlHarness::Tick(int seconds) {
    for (int i = 0; i < seconds; ++i) {
        clock->Advance(std::chrono::seconds(1));
        core->TimeoutTick();
    }
}

void ControlHarness::SetGemVar(const std::string& name, const Variant& value) const {
    EXPECT_TRUE(core->SetGemVar(name, value)) << name;
}

void ControlHarness::Sql(const std::string& statement) const {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "GEM.mdb").c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    int rc = sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << statement << ": " << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

std::vector<std::string> ControlHarness::Rows(const std::string& query) const {
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open((dir / "GEM.mdb").c_str(), &db), SQLITE_OK);
    auto collect = [](void* out, int columns, char** values, char**) {
        std::string row;
        for (int i = 0; i < columns; ++i)
            row += (i ? "|" : "") + std::string(values[i] ? values[i] : "NULL");
        static_cast<std::vector<std::string>*>(out)->push_back(row);
        return 0;
    };
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, query.c_str(), collect, &rows, &message), SQLITE_OK)
        << query << ": " << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
    return rows;
}

std::vector<int> ControlHarness::ErrorCodes() const {
    std::vector<int> codes;
    for (const auto& e : errors)
        codes.push_back(e.ErrCode);
    return codes;
}

std::vector<std::string> ControlHarness::EventNames() const {
    std::vector<std::string> names;
    for (const auto& e : events)
        names.push_back(e.ServiceName + "/" + e.EventName);
    return names;
}

void ControlHarness::ClearRecords() {
    errors.clear();
    methods.clear();
    events.clear();
    commands.clear();
}

}  // namespace kest::test
