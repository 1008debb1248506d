#include "notify/service_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

#include "base/error.h"

namespace kest {

namespace {

constexpr int kFileAccessError = 75;  // "Path/File access error" of the original runtime

// How often (clock time) the open file is checked for having been deleted or replaced: a
// check is a system call, and lines written in between to a deleted file are lost.
constexpr auto kRecheck = std::chrono::seconds(1);

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

clsLogInfo::clsLogInfo(std::filesystem::path path_name, std::shared_ptr<Clock> clock)
    : clock_(std::move(clock)) {
    SetPathName(std::move(path_name));
}

void clsLogInfo::SetPathName(std::filesystem::path path_name) {
    path_name_ = std::move(path_name);
    std::error_code ec;
    std::filesystem::create_directories(path_name_, ec);  // a failure shows on the first write
}

clsLogInfo::~clsLogInfo() {
    Close();
}

std::filesystem::path clsLogInfo::FileFor(const std::string& date) const {
    return path_name_ / (file_name_ + "_" + date + ".log");
}

std::filesystem::path clsLogInfo::CurrentFile() const {
    return FileFor(FormatLocal(clock_->Now(), "yyyy-mm-dd"));
}

bool clsLogInfo::Open(const std::filesystem::path& file) {
    Close();
    fd_ = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
        Close();
        return false;
    }
    open_file_ = file;
    open_inode_ = info.st_ino;
    open_device_ = info.st_dev;
    return true;
}

void clsLogInfo::Close() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    open_file_.clear();
}

bool clsLogInfo::StillThere() const {
    struct stat info {};
    return ::stat(open_file_.c_str(), &info) == 0 && info.st_ino == open_inode_ &&
           info.st_dev == open_device_;
}

bool clsLogInfo::Write(const std::string& line) const {
    // One write for the whole line: O_APPEND keeps lines of other writers whole.
    for (;;) {
        ssize_t written = ::write(fd_, line.data(), line.size());
        if (written == static_cast<ssize_t>(line.size())) return true;
        if (written < 0 && errno == EINTR) continue;
        return false;  // a short write: the disk is full
    }
}

void clsLogInfo::WriteLog(std::string_view text) {
    auto now = clock_->Now();
    std::string today = FormatLocal(now, "yyyy-mm-dd");
    if (today != last_date_) {
        DeleteBackup();
        last_date_ = today;
    }
    std::string line = FormatLocal(now, "yyyy/mm/dd hh:nn:ss.cc ");
    line.append(text);
    line += '\n';
    auto file = FileFor(today);
    if (fd_ >= 0 && file != open_file_) Close();  // a new day, path or name
    if (fd_ >= 0 && (now - checked_ >= kRecheck || now < checked_)) {
        checked_ = now;
        if (!StillThere()) Close();
    }
    // A failed write may be the descriptor's alone (a file system remounted, a file replaced):
    // one more try on the file opened again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (fd_ < 0) {
            if (!Open(file)) break;
            checked_ = now;
        }
        if (Write(line)) return;
        Close();
    }
    throw KestException(kFileAccessError, "Path/File access error: " + file.string());
}

void clsLogInfo::DeleteBackup() {
    if (purge_duration_ <= 0) return;
    namespace fs = std::filesystem;
    const std::array<std::string, 3> bases{file_name_, "SECSI", "SECSII"};
    auto now = clock_->Now();
    auto limit = std::chrono::hours(24) * purge_duration_;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(path_name_, ec)) {
        std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(ec) || !EndsWith(name, ".log")) continue;
        bool matches = false;
        for (const auto& base : bases)
            matches = matches || StartsWith(name, base);
        if (!matches) continue;
        auto modified = std::chrono::file_clock::to_sys(fs::last_write_time(entry.path(), ec));
        if (ec) continue;
        if (now - modified > limit) fs::remove(entry.path(), ec);
    }
}

}  // namespace kest
