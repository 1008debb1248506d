#include "notify/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kest {

namespace {
// How often (clock time) the open file is checked for having been deleted or replaced: a
// check is a system call, and lines written in between to a deleted file are lost.
constexpr auto kRecheck = std::chrono::seconds(1);
}  // namespace

AppendFile::AppendFile(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {}

AppendFile::~AppendFile() {
    Close();
}

bool AppendFile::Open(const std::filesystem::path& file) {
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

void AppendFile::Close() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    open_file_.clear();
}

bool AppendFile::StillThere() const {
    struct stat info {};
    return ::stat(open_file_.c_str(), &info) == 0 && info.st_ino == open_inode_ &&
           info.st_dev == open_device_;
}

bool AppendFile::Write(const std::string& line) const {
    for (;;) {
        ssize_t written = ::write(fd_, line.data(), line.size());
        if (written == static_cast<ssize_t>(line.size())) return true;
        if (written < 0 && errno == EINTR) continue;
        return false;  // a short write: the disk is full
    }
}

bool AppendFile::Append(const std::filesystem::path& file, const std::string& line) {
    auto now = clock_->Now();
    if (fd_ >= 0 && file != open_file_) Close();  // another day, path or name
    if (fd_ >= 0 && (now - checked_ >= kRecheck || now < checked_)) {
        checked_ = now;
        if (!StillThere()) Close();
    }
    // A failed write may be the descriptor's alone (a file system remounted, a file replaced):
    // one more try on the file opened again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (fd_ < 0) {
            if (!Open(file)) return false;
            checked_ = now;
        }
        if (Write(line)) return true;
        Close();
    }
    return false;
}

}  // namespace kest
