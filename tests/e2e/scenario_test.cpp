// Whole-program scenarios: the sample equipment runs as its own process, kest-host drives it
// over loopback with a script, and both must end well.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
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

// What a script says to the runner in comments: the lines it expects in the equipment's own
// output, options to start the equipment with, and where the equipment restarts (the script is
// run in parts, one for each run of the equipment, all on the same data directory).
struct ScriptPlan {
    std::vector<std::string> equipment_says;
    std::vector<std::string> equipment_options;
    std::vector<std::string> parts{""};
};

ScriptPlan Plan(const fs::path& script) {
    constexpr std::string_view kSays = "# equipment says: ";
    constexpr std::string_view kOptions = "# equipment options: ";
    constexpr std::string_view kRestart = "# restart the equipment";
    ScriptPlan plan;
    std::ifstream in(script);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(kSays)) plan.equipment_says.push_back(line.substr(kSays.size()));
        if (line.starts_with(kOptions)) {
            std::istringstream words(line.substr(kOptions.size()));
            for (std::string word; words >> word;)
                plan.equipment_options.push_back(word);
        }
        if (line.starts_with(kRestart)) plan.parts.emplace_back();
        plan.parts.back() += line + "\n";
    }
    return plan;
}

// The scenarios run over each transport: HSMS, and SECS-I on a TCP byte stream.
using ScenarioParam = std::tuple<std::string, std::string>;

class Scenario : public ::testing::TestWithParam<ScenarioParam> {
  protected:
    const std::string& Name() const { return std::get<0>(GetParam()); }
    bool Secs1() const { return std::get<1>(GetParam()) == "secs1_tcp"; }

    // Starts the sample equipment on `data`; its port, or "" when it did not come up.
    std::string StartEquipment(const fs::path& data, const std::vector<std::string>& options) {
        std::vector<std::string> argv{(bin_ / "apps/kest-equipment").string(),
                                      Secs1() ? "--secs1-tcp" : "--port",
                                      Secs1() ? "127.0.0.1:0" : "0",
                                      "--listen-address",
                                      "127.0.0.1",
                                      "--data-dir",
                                      data.string(),
                                      "--cycle-ms",
                                      "100",
                                      "--run-for",
                                      "120"};
        argv.insert(argv.end(), options.begin(), options.end());
        equipment_.emplace(argv);
        return equipment_->WaitFor(std::regex("listening for a host on port ([0-9]+)"),
                                   std::chrono::seconds(20));
    }

    // Stops it as an operator would; its output, which must say it stopped.
    std::string StopEquipment() {
        equipment_->Signal(SIGTERM);
        EXPECT_EQ(equipment_->Finish(std::chrono::seconds(20)), 0) << equipment_->Output();
        std::string output = equipment_->Output();
        EXPECT_NE(output.find("kest-equipment: stopped"), std::string::npos) << output;
        equipment_.reset();
        return output;
    }

    const fs::path bin_{KEST_BINARY_DIR};
    std::optional<Child> equipment_;
};

TEST_P(Scenario, HoldsAgainstTheSampleEquipment) {
    const fs::path data = fs::temp_directory_path() / ("kest_e2e_" + std::to_string(getpid()) +
                                                       "_" + Name() + (Secs1() ? "_secs1" : ""));
    fs::remove_all(data);
    const ScriptPlan plan =
        Plan(fs::path(KEST_SOURCE_DIR) / "tests/e2e/scenarios" / (Name() + ".kest"));
    std::string said;
    for (std::size_t part = 0; part < plan.parts.size(); ++part) {
        const std::string port = StartEquipment(data, plan.equipment_options);
        ASSERT_FALSE(port.empty()) << equipment_->Output();
        const fs::path script = data.string() + ".part" + std::to_string(part) + ".kest";
        std::ofstream(script) << plan.parts[part];
        Child host({(bin_ / "apps/kest-host").string(), Secs1() ? "--secs1-tcp" : "--connect",
                    "127.0.0.1:" + port, "--timeout", "10000", "--t3", "10", "--script",
                    script.string()});
        const int host_status = host.Finish(std::chrono::seconds(90));
        fs::remove(script);
        EXPECT_EQ(host_status, 0) << "part " << part << "\n"
                                  << host.Output() << "\n--- equipment ---\n"
                                  << equipment_->Output();
        said += StopEquipment();
    }
    for (const std::string& line : plan.equipment_says)
        EXPECT_NE(said.find(line), std::string::npos) << line << "\n" << said;
    fs::remove_all(data);
}

INSTANTIATE_TEST_SUITE_P(E2E, Scenario,
                         ::testing::Combine(::testing::ValuesIn(Scenarios()),
                                            ::testing::Values("hsms", "secs1_tcp")),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_" + std::get<1>(info.param);
                         });

}  // namespace
