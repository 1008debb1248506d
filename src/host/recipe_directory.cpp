#include "host/recipe_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "base/error.h"
#include "base/file_write.h"
#include "base/recipe_path.h"

namespace kest {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const fs::path& path, const std::string& reason) {
    throw KestException(kPathFileAccessError, path.string() + ": " + reason);
}

// Closes the descriptor however the read ends.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// The files and real folders directly inside `folder`, each sorted bytewise.
struct Entries {
    std::vector<std::string> files;
    std::vector<std::string> folders;
};

Entries ReadEntries(const fs::path& folder) {
    Entries entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        // symlink_status: a link is neither a file nor a folder of ours, whatever it points to.
        const fs::file_type type = entry.symlink_status().type();
        std::string name = entry.path().filename().string();
        if (type == fs::file_type::regular) entries.files.push_back(std::move(name));
        if (type == fs::file_type::directory) entries.folders.push_back(std::move(name));
    }
    std::sort(entries.files.begin(), entries.files.end());
    std::sort(entries.folders.begin(), entries.folders.end());
    return entries;
}

void Walk(const fs::path& folder, const std::string& prefix, std::vector<std::string>& out) {
    const Entries entries = ReadEntries(folder);
    for (const std::string& file : entries.files)
        out.push_back(prefix + file);
    for (const std::string& sub : entries.folders)
        Walk(folder / sub, prefix + sub + '\\', out);
}

void RemoveFilesIn(const fs::path& folder) {
    const Entries entries = ReadEntries(folder);
    for (const std::string& file : entries.files)
        fs::remove(folder / file);
    for (const std::string& sub : entries.folders)
        RemoveFilesIn(folder / sub);
}

}  // namespace

std::optional<RecipeDirectory> RecipeDirectory::Open(std::string_view setting) {
    if (setting == "NULL" || setting.empty()) return std::nullopt;
    std::error_code error;
    fs::path root = fs::path(setting).lexically_normal();
    // "dir/" and "dir" are one directory; the folder checks compare against it.
    if (!root.has_filename() && root.has_relative_path()) root = root.parent_path();
    if (!fs::is_directory(root, error)) return std::nullopt;
    return RecipeDirectory(std::move(root));
}

std::optional<fs::path> RecipeDirectory::Inside(std::string_view ppid) const {
    std::optional<fs::path> path = RecipeFilePath(root_, ppid);
    if (!path || !StaysInside(root_, *path)) return std::nullopt;
    return path;
}

bool RecipeDirectory::HasFolderOf(std::string_view ppid) const {
    const std::optional<fs::path> path = Inside(ppid);
    if (!path) return false;
    const fs::path folder = path->parent_path();
    std::error_code error;
    // `Inside` resolved every existing folder on the way, so the folder is ours if it exists.
    return folder == root_ || fs::is_directory(folder, error);
}

bool RecipeDirectory::HasFile(std::string_view ppid) const {
    const std::optional<fs::path> path = Inside(ppid);
    std::error_code error;
    return path && fs::is_regular_file(*path, error);
}

std::uintmax_t RecipeDirectory::FreeSpace() const {
    return fs::space(root_).available;
}

std::optional<std::string> RecipeDirectory::Read(std::string_view ppid) const {
    if (!HasFile(ppid)) return std::nullopt;
    const fs::path path = *Inside(ppid);
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat info {};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0) Fail(path, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return std::nullopt;
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size > kMaxRecipeSize) Fail(path, "larger than a process program may be");
    std::string bytes(size, '\0');
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(file.fd, bytes.data() + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail(path, std::strerror(errno));
        if (got == 0) break;  // shrank while being read: hand out what is there
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

void RecipeDirectory::Write(std::string_view ppid, std::string_view bytes) const {
    if (!HasFolderOf(ppid)) Fail(root_, "no folder for " + std::string(ppid));
    // The folder is inside; renaming over the name replaces a link there, never its target.
    WriteFileAtomically(*RecipeFilePath(root_, ppid), bytes);
}

void RecipeDirectory::Remove(std::string_view ppid) const {
    const std::optional<fs::path> path = Inside(ppid);
    if (path) fs::remove(*path);
}

std::vector<std::string> RecipeDirectory::List() const {
    std::vector<std::string> ppids;
    Walk(root_, "", ppids);
    return ppids;
}

void RecipeDirectory::RemoveAllFiles() const {
    RemoveFilesIn(root_);
}

}  // namespace kest
