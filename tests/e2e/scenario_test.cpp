// Whole-program scenarios: the sample equipment runs as its own process, kest-host drives it
// over loopback with a script, and both must end well.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace {

namespace fs = std::filesystem;
using kest::test::Child;

std::vector<std::string> Scenarios() {
    std::vector<std::string> names;
    for (const auto& e :
         fs::directory_iterator(fs::path(KEST_SOURCE_DIR) / "tests/e2e/scenarios")) {
        if (e.path().extension() == ".kest") names.push_back(e.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The lines a script expects in the equipment's own output ("# equipment says: ...").
std::vector<std::string> EquipmentSays(const fs::path& script) {
    constexpr std::string_view kMark = "# equipment says: ";
    std::vector<std::string> lines;
    std::ifstream in(script);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(kMark)) lines.push_back(line.substr(kMark.size()));
    }
    return lines;
}

class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, HoldsAgainstTheSampleEquipment) {
    fs::path bin(KEST_BINARY_DIR);
    fs::path data =
        fs::temp_directory_path() / ("kest_e2e_" + std::to_string(getpid()) + "_" + GetParam());
    fs::remove_all(data);
    Child equipment({(bin / "apps/kest-equipment").string(), "--port", "0", "--listen-address",
                     "127.0.0.1", "--data-dir", data.string(), "--cycle-ms", "100", "--run-for",
                     "120"});
    std::string port = equipment.WaitFor(std::regex("listening for a host on port ([0-9]+)"),
                                         std::chrono::seconds(20));
    ASSERT_FALSE(port.empty()) << equipment.Output();

    fs::path script = fs::path(KEST_SOURCE_DIR) / "tests/e2e/scenarios" / (GetParam() + ".kest");
    Child host({(bin / "apps/kest-host").string(), "--connect", "127.0.0.1:" + port, "--timeout",
                "10000", "--t3", "10", "--script", script.string()});
    int host_status = host.Finish(std::chrono::seconds(90));
    EXPECT_EQ(host_status, 0) << host.Output() << "\n--- equipment ---\n" << equipment.Output();

    equipment.Signal(SIGTERM);
    EXPECT_EQ(equipment.Finish(std::chrono::seconds(20)), 0) << equipment.Output();
    EXPECT_NE(equipment.Output().find("kest-equipment: stopped"), std::string::npos);
    for (const std::string& line : EquipmentSays(script)) {
        EXPECT_NE(equipment.Output().find(line), std::string::npos) << line << "\n"
                                                                    << equipment.Output();
    }
    fs::remove_all(data);
}

INSTANTIATE_TEST_SUITE_P(E2E, Scenario, ::testing::ValuesIn(Scenarios()),
                         [](const auto& info) { return info.param; });

}  // namespace
