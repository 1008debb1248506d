#pragma once

// Starting one of our programs from a test or a benchmark and reading what it prints.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace kest::test {

/// A child process with its standard output and error on one pipe, drained by a thread of its
/// own so that a talkative program never blocks on a full pipe.
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
        if (rc != 0) {
            close(fds[0]);
            throw std::runtime_error("cannot start " + argv[0]);
        }
        reader_ = std::thread([this, fd = fds[0]] { Drain(fd); });
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (reader_.joinable()) reader_.join();
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    /// Waits until the output matches `pattern` or `within` passes; returns the first capture
    /// (the whole match without one), or "" on time-out.
    std::string WaitFor(const std::regex& pattern, std::chrono::milliseconds within) {
        std::unique_lock lock(mutex_);
        std::smatch match;
        bool found = changed_.wait_for(
            lock, within, [&] { return std::regex_search(output_, match, pattern) || ended_; });
        if (!found || !std::regex_search(output_, match, pattern)) return {};
        return match.size() > 1 ? match[1].str() : match[0].str();
    }

    /// Waits for the program to end (killing it after `within`) and returns its exit status
    /// (-1 when it did not exit by itself).
    int Finish(std::chrono::milliseconds within) {
        {
            std::unique_lock lock(mutex_);
            if (!changed_.wait_for(lock, within, [&] { return ended_; })) kill(pid_, SIGKILL);
        }
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        if (reader_.joinable()) reader_.join();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void Signal(int signal) { kill(pid_, signal); }
    /// The process ID (for reading /proc).
    pid_t Pid() const { return pid_; }
    /// Everything printed so far.
    std::string Output() const {
        std::lock_guard lock(mutex_);
        return output_;
    }

  private:
    void Drain(int fd) {
        char buffer[4096];
        for (;;) {
            ssize_t n = read(fd, buffer, sizeof buffer);
            std::lock_guard lock(mutex_);
            if (n <= 0) {
                ended_ = true;
                changed_.notify_all();
                break;
            }
            output_.append(buffer, static_cast<std::size_t>(n));
            changed_.notify_all();
        }
        close(fd);
    }

    pid_t pid_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string output_;
    bool ended_ = false;
};

}  // namespace kest::test
