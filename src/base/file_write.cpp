#include "base/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/error.h"

namespace kest {

namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, const char* step, int error) {
    throw KestException(kPathFileAccessError,
                        path.string() + ": cannot " + step + ": " + std::strerror(error));
}

// Writes all of `bytes` to `fd`, riding out short writes and signals.
bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) Fail(path, "create a temporary file", errno);
    // mkostemp makes the file private; a written file is readable like any other.
    const bool written = ::fchmod(fd, 0644) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int error = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int reason = written && closed ? errno : error;
        ::unlink(temporary.c_str());
        Fail(path, "write", reason);
    }
}

bool IsPlainFileName(std::string_view name) noexcept {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

}  // namespace kest
