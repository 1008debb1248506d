#include "notify/service_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>

#include "base/error.h"
#include "support/test_helpers.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::UtcTime;
using namespace std::chrono_literals;

class ServiceLog : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        dir_ = fs::temp_directory_path() /
               ("kest_log_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        clock_ = std::make_shared<ManualClock>(UtcTime(2026, 12, 5, 23, 59, 58, 120));
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Touch(const std::string& name, Clock::TimePoint modified) {
        std::ofstream(dir_ / name) << "old";
        fs::last_write_time(dir_ / name, std::chrono::file_clock::from_sys(modified));
    }

    fs::path dir_;
    std::shared_ptr<ManualClock> clock_;
};

TEST_F(ServiceLog, LinesAreStampedWithHundredthsIntoTheDailyFile) {
    clsLogInfo log(dir_ / "Log", clock_);
    EXPECT_TRUE(fs::is_directory(dir_ / "Log"));  // created when missing
    log.WriteLog("************KestServer Started************");
    clock_->Advance(1900ms);  // past midnight: the next line goes to the new day's file
    log.WriteLog("second");
    EXPECT_EQ(ReadFile(dir_ / "Log" / "KestTool_2026-12-05.log"),
              "2026/12/05 23:59:58.12 ************KestServer Started************\n");
    EXPECT_EQ(ReadFile(dir_ / "Log" / "KestTool_2026-12-06.log"),
              "2026/12/06 00:00:00.02 second\n");
}

TEST_F(ServiceLog, FirstLineOfADayPurgesOldLogsOfTheThreeBaseNames) {
    fs::create_directories(dir_);
    auto now = clock_->Now();
    Touch("KestTool_2026-08-01.log", now - 121 * 24h);
    Touch("SECSII_2026-08-01.log", now - 121 * 24h);
    Touch("SECSI_2026-08-01.log", now - 121 * 24h);
    Touch("KestTool_2026-08-10.log", now - 119 * 24h);  // young enough
    Touch("Other_2026-08-01.log", now - 200 * 24h);     // another base name
    Touch("KestTool_2026-08-01.txt", now - 200 * 24h);  // not a log
    clsLogInfo log(dir_, clock_);
    log.WriteLog("x");
    EXPECT_FALSE(fs::exists(dir_ / "KestTool_2026-08-01.log"));
    EXPECT_FALSE(fs::exists(dir_ / "SECSII_2026-08-01.log"));
    EXPECT_FALSE(fs::exists(dir_ / "SECSI_2026-08-01.log"));
    EXPECT_TRUE(fs::exists(dir_ / "KestTool_2026-08-10.log"));
    EXPECT_TRUE(fs::exists(dir_ / "Other_2026-08-01.log"));
    EXPECT_TRUE(fs::exists(dir_ / "KestTool_2026-08-01.txt"));

    // Later lines of the same day do not purge again.
    Touch("KestTool_2026-07-01.log", now - 150 * 24h);
    log.WriteLog("y");
    EXPECT_TRUE(fs::exists(dir_ / "KestTool_2026-07-01.log"));
}

TEST_F(ServiceLog, PurgeDurationZeroKeepsEverything) {
    fs::create_directories(dir_);
    Touch("KestTool_2020-01-01.log", clock_->Now() - 2000 * 24h);
    clsLogInfo log(dir_, clock_);
    log.SetPurgeDuration(0);
    log.WriteLog("x");
    EXPECT_TRUE(fs::exists(dir_ / "KestTool_2020-01-01.log"));
}

// A file deleted or moved away (by an operator, a rotation) is noticed at the next check, at
// most a second later, and the day's file made again.
TEST_F(ServiceLog, AFileDeletedOrMovedAwayIsOpenedAgain) {
    clsLogInfo log(dir_, clock_);
    for (const char* how : {"delete", "move"}) {
        log.WriteLog("before");
        fs::path file = log.CurrentFile();
        if (how == std::string("delete")) {
            fs::remove(file);
        } else {
            fs::rename(file, dir_ / "moved.log");
        }
        clock_->Advance(1000ms);
        log.WriteLog("after");
        EXPECT_EQ(ReadFile(file), "2026/12/05 23:59:59.12 after\n") << how;
        fs::remove(file);
        clock_->Set(UtcTime(2026, 12, 5, 23, 59, 58, 120));
    }
}

// A path that cannot be opened, or a write that fails (a full disk), raises 75; the next line
// opens the file again.
TEST_F(ServiceLog, AFileThatCannotBeWrittenIsReportedAndOpenedAgainLater) {
    fs::create_directories(dir_);
    fs::path file = dir_ / "KestTool_2026-12-05.log";
    const std::function<void()> kBreak[] = {
        [&] { fs::create_directories(file); },  // a directory where the file should be
        [&] { fs::create_symlink("/dev/full", file); },
    };
    for (const auto& make_unwritable : kBreak) {
        clsLogInfo log(dir_, clock_);
        make_unwritable();
        EXPECT_EQ(test::ErrorNumber([&] { log.WriteLog("lost"); }), 75);
        fs::remove(file);
        log.WriteLog("kept");
        EXPECT_EQ(ReadFile(file), "2026/12/05 23:59:58.12 kept\n");
        fs::remove(file);
    }
}

}  // namespace
}  // namespace kest
