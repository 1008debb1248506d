#include "driver/secs_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "driver/driver_properties.h"
#include "secs/build.h"
#include "secs/hex.h"
#include "support/test_helpers.h"

namespace kest {
namespace {

using namespace kest::build;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

class SecsLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        dir_ = fs::temp_directory_path() /
               ("kest_secs_log_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        properties_.SetSECSIILogFile((dir_ / "Log" / "SECSII.log").string());
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Today() const { return dir_ / "Log" / "SECSII_2024-05-06.log"; }

    fs::path dir_;
    DriverProperties properties_;
    std::shared_ptr<ManualClock> clock_ =
        std::make_shared<ManualClock>(test::UtcTime(2024, 5, 6, 13, 45, 12, 340));
};

TEST(DailyFile, PutsTheLocalDateBeforeTheExtension) {
    setenv("TZ", "UTC", 1);
    tzset();
    auto t = test::UtcTime(2024, 2, 29, 23, 59, 59);
    EXPECT_EQ(SecsLog::DailyFile("/var/Log/SECSII.log", t),
              fs::path("/var/Log/SECSII_2024-02-29.log"));
    EXPECT_EQ(SecsLog::DailyFile("Log/SECSII", t), fs::path("Log/SECSII_2024-02-29.log"));
    EXPECT_EQ(SecsLog::DailyFile("trace.txt", t), fs::path("trace_2024-02-29.txt"));
}

// Messages with their body indented, control messages, notes, remarks, and the raw bytes when
// asked for or when the body could not be decoded.
TEST_F(SecsLogTest, WritesEachKindOfRecord) {
    SecsLog log(properties_, clock_);
    SecsMessage s1f3(1, 3, true, L(U4(1, 2)));
    log.Message(LogDirection::Sent, MessageHeader{1, 1, 3, true, 7}, &s1f3, {});
    clock_->Advance(1050ms);
    SecsMessage s1f4(1, 4, false, L());
    log.Message(LogDirection::Received, MessageHeader{32767, 1, 4, false, 0x80000001}, &s1f4, {},
                "reply nobody waits for, dropped");
    log.Control(LogDirection::Received, "Select.req SystemBytes=0x00000001");
    log.Note("Selected");
    log.Message(LogDirection::Received, MessageHeader{0, 6, 12, false, 1}, nullptr,
                test::Hex("01 05"), "Undecodable body");
    properties_.SetLogRawBytes(true);
    SecsMessage s6f12(6, 12, false, U1(7));
    log.Message(LogDirection::Sent, MessageHeader{0, 6, 12, false, 2}, &s6f12,
                test::Hex("a5 01 07"));
    EXPECT_EQ(test::ReadFile(Today()),
              "2024/05/06 13:45:12.34 SEND S1F3 W SystemBytes=0x00000007 DeviceID=1\n"
              "  <L [1]\n"
              "    <U4 1 2>\n"
              "  >\n"
              "2024/05/06 13:45:13.39 RECV S1F4 SystemBytes=0x80000001 DeviceID=32767 (reply "
              "nobody waits for, dropped)\n"
              "  <L [0]>\n"
              "2024/05/06 13:45:13.39 RECV Select.req SystemBytes=0x00000001\n"
              "2024/05/06 13:45:13.39 NOTE Selected\n"
              "2024/05/06 13:45:13.39 RECV S6F12 SystemBytes=0x00000001 DeviceID=0 "
              "(Undecodable body)\n"
              "  bytes: 01 05\n"
              "2024/05/06 13:45:13.39 SEND S6F12 SystemBytes=0x00000002 DeviceID=0\n"
              "  <U1 7>\n"
              "  bytes: A5 01 07\n");
}

TEST_F(SecsLogTest, StartsANewFileAtMidnight) {
    clock_->Set(test::UtcTime(2024, 5, 6, 23, 59, 59, 990));
    SecsLog log(properties_, clock_);
    log.Note("before");
    clock_->Advance(20ms);
    log.Note("after");
    EXPECT_EQ(test::ReadFile(Today()), "2024/05/06 23:59:59.99 NOTE before\n");
    EXPECT_EQ(test::ReadFile(dir_ / "Log" / "SECSII_2024-05-07.log"),
              "2024/05/07 00:00:00.01 NOTE after\n");
}

TEST_F(SecsLogTest, WritesNothingWhenDisabledOrUnnamed) {
    SecsLog log(properties_, clock_);
    properties_.SetLogEnabled(false);
    log.Note("one");
    properties_.SetLogEnabled(true);
    properties_.SetSECSIILogFile("");
    log.Note("two");
    EXPECT_FALSE(fs::exists(dir_));
}

TEST_F(SecsLogTest, ReportsAFailureOnceUntilAWriteSucceeds) {
    fs::create_directories(dir_);
    std::ofstream(dir_ / "blocker") << "a file where a directory should be";
    properties_.SetSECSIILogFile((dir_ / "blocker" / "SECSII.log").string());
    SecsLog log(properties_, clock_);
    std::vector<std::string> failures;
    log.SetFailureHandler([&](const std::string& text) { failures.push_back(text); });
    log.Note("lost 1");
    log.Note("lost 2");
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("Cannot open the SECS-II log"), std::string::npos) << failures[0];
    properties_.SetSECSIILogFile((dir_ / "Log" / "SECSII.log").string());
    log.Note("kept");
    properties_.SetSECSIILogFile((dir_ / "blocker" / "SECSII.log").string());
    log.Note("lost 3");
    EXPECT_EQ(failures.size(), 2u);
    EXPECT_EQ(test::ReadFile(Today()), "2024/05/06 13:45:12.34 NOTE kept\n");
}

}  // namespace
}  // namespace kest
