#include "base/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/error.h"
#include "base/file_write.h"

namespace kest {

namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, int error) {
    throw KestException(kPathFileAccessError,
                        path.string() + ": cannot read: " + std::strerror(error));
}

// Closes the descriptor however the read ends.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const noexcept { return fd_; }

  private:
    int fd_;
};

}  // namespace

void ReadWholeFile(const std::filesystem::path& path, const ReadBuffer& buffer) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) Fail(path, errno);
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) Fail(path, errno);
    if (!S_ISREG(status.st_mode)) Fail(path, S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    std::span<std::uint8_t> room = buffer(static_cast<std::size_t>(status.st_size));
    std::size_t filled = 0;
    while (filled < room.size()) {
        const ssize_t got = ::read(file.Get(), room.data() + filled, room.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail(path, errno);
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    if (filled < room.size()) buffer(filled);
}

}  // namespace kest
