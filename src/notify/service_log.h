#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "notify/append_file.h"

namespace kest {

/// The daily service log: one line at a time to PathName/FileName_yyyy-mm-dd.log, each line
/// stamped "yyyy/mm/dd hh:mm:ss.cc". On the first line of a day, log files older than
/// `PurgeDuration` days are deleted.
///
/// The day's file stays open; each line is one write(2) straight to it, so a crash loses no
/// line. It is opened again for a new day, a new path or name, after a failed write, and when
/// a check (at most once a second of clock time) finds it deleted or replaced.
class clsLogInfo {
  public:
    explicit clsLogInfo(std::filesystem::path path_name,
                        std::shared_ptr<Clock> clock = SystemClock::Instance());
    clsLogInfo(const clsLogInfo&) = delete;
    clsLogInfo& operator=(const clsLogInfo&) = delete;

    /// The log directory, created when missing.
    const std::filesystem::path& PathName() const noexcept { return path_name_; }
    void SetPathName(std::filesystem::path path_name);
    /// The base name of the files ("KestTool").
    const std::string& FileName() const noexcept { return file_name_; }
    void SetFileName(std::string file_name) { file_name_ = std::move(file_name); }
    /// Days a log file is kept; 0 keeps every file.
    std::int32_t PurgeDuration() const noexcept { return purge_duration_; }
    void SetPurgeDuration(std::int32_t days) noexcept { purge_duration_ = days; }

    /// Appends one stamped line. Raises KestException 75 when the file cannot be written.
    void WriteLog(std::string_view text);
    /// Deletes FileName*, SECSI* and SECSII* ".log" files older than `PurgeDuration` days.
    void DeleteBackup();

    /// Today's file: PathName/FileName_yyyy-mm-dd.log.
    std::filesystem::path CurrentFile() const;

  private:
    std::filesystem::path FileFor(const std::string& date) const;

    AppendFile file_;
    std::filesystem::path path_name_;
    std::string file_name_ = "KestTool";
    std::int32_t purge_duration_ = 120;
    std::string last_date_;
    std::shared_ptr<Clock> clock_;
};

}  // namespace kest
