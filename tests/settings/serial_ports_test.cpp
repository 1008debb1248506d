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

TEST_F(FakeDev, NoAdaptersIsNotAFailure) {
    Touch("ttyS0");
    SerialPortScan scan = ListSerialPorts(root_);
    EXPECT_TRUE(scan.complete);
    EXPECT_EQ(scan.ports, std::vector<std::string>{Path("ttyS0")});
}

TEST_F(FakeDev, AnEmptyDirectoryHasNoPorts) {
    SerialPortScan scan = ListSerialPorts(root_);
    EXPECT_TRUE(scan.complete);
    EXPECT_TRUE(scan.ports.empty());
}

TEST_F(FakeDev, AMissingDirectoryCannotBeRead) {
    SerialPortScan scan = ListSerialPorts(root_ / "absent");
    EXPECT_FALSE(scan.complete);
    EXPECT_TRUE(scan.ports.empty());
}

TEST_F(FakeDev, AnUnreadableByIdKeepsTheOtherPorts) {
    Touch("ttyS0");
    Touch("serial/by-id");  // a file where the directory should be
    SerialPortScan scan = ListSerialPorts(root_);
    EXPECT_FALSE(scan.complete);
    EXPECT_EQ(scan.ports, std::vector<std::string>{Path("ttyS0")});
}

struct OrderCase {
    const char* a;
    const char* b;
    bool a_first;
};

class NaturalOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(NaturalOrder, ComparesDigitRunsByValue) {
    const OrderCase& c = GetParam();
    EXPECT_EQ(NaturalLess(c.a, c.b), c.a_first) << c.a << " < " << c.b;
    if (std::string_view(c.a) != c.b) {
        EXPECT_EQ(NaturalLess(c.b, c.a), !c.a_first);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NaturalOrder,
    ::testing::Values(OrderCase{"ttyS2", "ttyS10", true}, OrderCase{"ttyS10", "ttyS9", false},
                      OrderCase{"ttyS1", "ttyUSB0", true}, OrderCase{"ttyACM3", "ttyS0", true},
                      OrderCase{"ttyS", "ttyS0", true}, OrderCase{"ttyS007", "ttyS8", true},
                      OrderCase{"ttyS01", "ttyS1", true}, OrderCase{"ttyS1a", "ttyS1b", true},
                      OrderCase{"ttyS2", "ttyS2", false},
                      OrderCase{"a99999999999999999999999", "a100000000000000000000000", true}));

}  // namespace
}  // namespace kest
