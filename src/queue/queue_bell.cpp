#include "queue/queue_bell.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

namespace kest {

namespace {

// Where file events are not delivered (inotify refused), a wait is a nap of at most this long.
constexpr std::chrono::milliseconds kNap{100};
// The longest a wait trusts the bell: a sender that could not ring is noticed this late.
constexpr std::chrono::milliseconds kLongestWait{1000};

constexpr std::uint32_t kRung = IN_MODIFY;
// The bell deleted or replaced, or events lost: the watch must start over.
constexpr std::uint32_t kLost = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_Q_OVERFLOW;

int OpenBell(const std::filesystem::path& file) {
    return ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

}  // namespace

QueueBell::QueueBell(const std::filesystem::path& store_file)
    : file_(store_file.string() + "-bell") {}

QueueBell::~QueueBell() {
    Disarm();
    if (ring_fd_ >= 0) ::close(ring_fd_);
}

void QueueBell::Ring() noexcept {
    if (ring_fd_ < 0) ring_fd_ = OpenBell(file_);
    if (ring_fd_ < 0) return;
    const char zero = 0;
    if (::pwrite(ring_fd_, &zero, 1, 0) < 0) {
        ::close(ring_fd_);  // opened again next time, in case the bell was replaced
        ring_fd_ = -1;
    }
}

void QueueBell::Arm() {
    if (watch_fd_ >= 0 || refused_) return;
    const int bell = OpenBell(file_);  // a reader may come before the first sender
    if (bell >= 0) ::close(bell);
    watch_fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_fd_ >= 0 && ::inotify_add_watch(watch_fd_, file_.c_str(), kRung | kLost) >= 0) {
        return;
    }
    Disarm();
    refused_ = true;
}

void QueueBell::Disarm() noexcept {
    if (watch_fd_ >= 0) ::close(watch_fd_);
    watch_fd_ = -1;
}

bool QueueBell::Wait(std::chrono::milliseconds timeout) {
    Arm();
    timeout = std::clamp(timeout, std::chrono::milliseconds(0), kLongestWait);
    if (watch_fd_ < 0) {
        ::poll(nullptr, 0, static_cast<int>(std::min(timeout, kNap).count()));
        return true;
    }
    pollfd fd{watch_fd_, POLLIN, 0};
    const int ready = ::poll(&fd, 1, static_cast<int>(timeout.count()));
    if (ready < 0) return true;  // a signal: the caller looks and waits again
    if (ready == 0) return false;
    bool rung = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t size = ::read(watch_fd_, buffer, sizeof buffer);
        if (size <= 0) break;
        for (ssize_t at = 0; at < size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if ((event->mask & kLost) != 0) {
                Disarm();  // watched again at the next wait
                return true;
            }
            rung = rung || (event->mask & kRung) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return rung;
}

}  // namespace kest
