#include "gemdb/database_change_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "base/error.h"

namespace kest {

namespace {

constexpr int kFileAccessError = 75;

constexpr std::uint32_t kEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE;

[[noreturn]] void ThrowWatchError(const std::filesystem::path& path) {
    throw KestException(kFileAccessError,
                        "cannot watch " + path.string() + ": " + std::strerror(errno));
}

}  // namespace

DatabaseChangeWatch::DatabaseChangeWatch(const std::filesystem::path& database_file)
    : file_name_(database_file.filename().string()) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) ThrowWatchError(database_file);
    std::filesystem::path directory = database_file.parent_path();
    if (directory.empty()) directory = ".";
    if (::inotify_add_watch(fd_, directory.c_str(), kEvents) < 0) {
        int saved = errno;
        ::close(fd_);
        errno = saved;
        ThrowWatchError(database_file);
    }
}

DatabaseChangeWatch::~DatabaseChangeWatch() {
    ::close(fd_);
}

bool DatabaseChangeWatch::Concerns(const std::string& name) const {
    return name == file_name_ || name == file_name_ + "-wal" || name == file_name_ + "-journal";
}

bool DatabaseChangeWatch::Drain() {
    bool concerned = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        ssize_t size = ::read(fd_, buffer, sizeof buffer);
        if (size <= 0) {
            if (size < 0 && errno == EINTR) continue;
            return concerned;  // EAGAIN: drained
        }
        for (ssize_t at = 0; at < size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            // A full queue lost events; the directory going away ends the watch.
            if ((event->mask & (IN_Q_OVERFLOW | IN_IGNORED)) != 0) concerned = true;
            if (event->len > 0 && Concerns(event->name)) concerned = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

}  // namespace kest
