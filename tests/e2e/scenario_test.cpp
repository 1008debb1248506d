// Whole-program scenarios: the sample equipment runs as its own process, kest-host drives it
// over loopback with a script, and both must end well.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A child process with its standard output and error on one pipe.
class Child {
  public:
    explicit Child(const std::vector<std::string>& argv) {
        int fds[2];
        if (pipe(fds) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
        if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }

    // Reads output until `pattern` appears or `within` passes; returns the first capture.
    std::string WaitFor(const std::regex& pattern, std::chrono::milliseconds within) {
        auto deadline = Clock::now() + within;
        std::smatch match;
        while (!std::regex_search(output_, match, pattern)) {
            if (!ReadSome(deadline)) return {};
        }
        return match.size() > 1 ? match[1].str() : match[0].str();
    }

    // Reads to the end of the output and returns the exit status (-1 when it had to be killed).
    int Finish(std::chrono::milliseconds within) {
        auto deadline = Clock::now() + within;
        while (ReadSome(deadline)) {
        }
        int status = 0;
        if (Clock::now() >= deadline) kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void Signal(int signal) { kill(pid_, signal); }
    const std::string& Output() const { return output_; }

  private:
    bool ReadSome(Clock::time_point deadline) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[4096];
        ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0) return false;
        output_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    std::string output_;
};

std::vector<std::string> Scenarios() {
    std::vector<std::string> names;
    for (const auto& e :
         fs::directory_iterator(fs::path(KEST_SOURCE_DIR) / "tests/e2e/scenarios")) {
        if (e.path().extension() == ".kest") names.push_back(e.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
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
    fs::remove_all(data);
}

INSTANTIATE_TEST_SUITE_P(E2E, Scenario, ::testing::ValuesIn(Scenarios()),
                         [](const auto& info) { return info.param; });

}  // namespace
