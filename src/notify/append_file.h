#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "base/clock.h"

namespace kest {

/// A file that lines are appended to, kept open between lines: each line is one write(2)
/// straight to it (O_APPEND keeps lines of other writers whole, and a crash loses no line).
/// It is opened again for another path, after a failed write, and when a check (at most once
/// a second of clock time) finds it deleted or replaced.
class AppendFile {
  public:
    explicit AppendFile(std::shared_ptr<Clock> clock = SystemClock::Instance());
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    /// Appends `line` (which carries its own line end) to `file`; false when it could not be
    /// written even to the file opened again.
    bool Append(const std::filesystem::path& file, const std::string& line);

  private:
    bool Open(const std::filesystem::path& file);
    void Close() noexcept;
    bool StillThere() const;
    bool Write(const std::string& line) const;

    std::shared_ptr<Clock> clock_;
    int fd_ = -1;
    std::filesystem::path open_file_;
    std::uint64_t open_inode_ = 0;
    std::uint64_t open_device_ = 0;
    Clock::TimePoint checked_;
};

}  // namespace kest
