#include "settings/serial_ports.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kest {
namespace {

namespace fs = std::filesystem;

// A fake device directory, removed afterwards.
class FakeDev : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() /
                ("kest_dev_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    void Touch(const fs::path& relative) {
        fs::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative).put('x');
    }
    std::string Path(const std::string& relative) const { return (root_ / relative).string(); }

    fs::path root_;
};

TEST_F(FakeDev, ListsTheSerialDevicesInNumericOrder) {
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0", "ttyS1", "ttyUSB0", "ttyACM0", "tty0",
                             "ttyS", "console", "null", "xttyS1"}) {
        Touch(name);
    }
    fs::create_directories(root_ / "ttyS5");  // a directory is no device
    Touch("serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0");
    fs::create_directories(root_ / "serial/by-id");
    fs::create_symlink("../../ttyUSB0", root_ / "serial/by-id/usb-FTDI_FT232R-if00-port0");
    // An unplugged adapter leaves a dangling link behind.
    fs::create_symlink("../../ttyUSB7", root_ / "serial/by-id/usb-Prolific-if00-port0");

    SerialPortScan scan = ListSerialPorts(root_);
    EXPECT_TRUE(scan.complete);
    EXPECT_EQ(scan.ports, (std::vector<std::string>{
                              Path("serial/by-id/usb-FTDI_FT232R-if00-port0"),
                              Path("ttyACM0"),
                              Path("ttyS0"),
                              Path("ttyS1"),
                              Path("ttyS2"),
                              Path("ttyS10"),
                              Path("ttyUSB0"),
                          }));
}

TEST_F(FakeDev, TheScanIsCompleteUnlessADirectoryCannotBeRead) {
    SerialPortScan scan = ListSerialPorts(root_);
    EXPECT_TRUE(scan.complete);
    EXPECT_TRUE(scan.ports.empty());
    Touch("ttyS0");  // no adapters (no serial/by-id) is no failure
    scan = ListSerialPorts(root_);
    EXPECT_TRUE(scan.complete);
    EXPECT_EQ(scan.ports, std::vector<std::string>{Path("ttyS0")});
    Touch("serial/by-id");  // a file where the directory should be: the other ports stay
    scan = ListSerialPorts(root_);
    EXPECT_FALSE(scan.complete);
    EXPECT_EQ(scan.ports, std::vector<std::string>{Path("ttyS0")});
    scan = ListSerialPorts(root_ / "absent");
    EXPECT_FALSE(scan.complete);
    EXPECT_TRUE(scan.ports.empty());
}

TEST(NaturalOrder, ComparesDigitRunsByValue) {
    // Each pair in order; the reverse is not.
    for (const auto& [a, b] : std::vector<std::pair<const char*, const char*>>{
             {"ttyS2", "ttyS10"},
             {"ttyS9", "ttyS10"},
             {"ttyS1", "ttyUSB0"},
             {"ttyACM3", "ttyS0"},
             {"ttyS", "ttyS0"},
             {"ttyS007", "ttyS8"},
             {"ttyS01", "ttyS1"},
             {"ttyS1a", "ttyS1b"},
             {"a99999999999999999999999", "a100000000000000000000000"}}) {
        EXPECT_TRUE(NaturalLess(a, b)) << a << " < " << b;
        EXPECT_FALSE(NaturalLess(b, a)) << b << " < " << a;
    }
    EXPECT_FALSE(NaturalLess("ttyS2", "ttyS2"));
}

}  // namespace
}  // namespace kest
