#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kest {

/// The largest process program the equipment takes or hands out, in bytes: 16 MiB less 64 KiB,
/// so the body fits one binary item (at most 0xFFFFFF bytes) and, with its PPID, one message of
/// the driver's default maximum (16 MiB).
inline constexpr std::size_t kMaxRecipeSize = 0xFF0000;

/// The recipe directory ("PPDirectory") as the host reaches it. The host names files by PPID;
/// every name goes through `RecipeFilePath` and a symlink-resolving containment check, so no
/// PPID reads, writes, lists or deletes anything outside the directory. A name that would leave
/// it is treated like a folder that does not exist.
class RecipeDirectory {
  public:
    /// The directory named by `setting`; nothing when it is "NULL" or not an existing directory.
    static std::optional<RecipeDirectory> Open(std::string_view setting);

    const std::filesystem::path& Path() const noexcept { return root_; }

    /// Whether the folder that would hold `ppid` exists inside the directory.
    bool HasFolderOf(std::string_view ppid) const;
    /// Whether `ppid` names an existing file inside the directory.
    bool HasFile(std::string_view ppid) const;
    /// Bytes free for unprivileged writers on the directory's file system.
    std::uintmax_t FreeSpace() const;

    /// The bytes of the file `ppid`, read once into the returned buffer; nothing when it is
    /// not an existing file inside. Throws 75 when it cannot be read or is larger than
    /// `kMaxRecipeSize`.
    std::optional<std::string> Read(std::string_view ppid) const;
    /// Replaces the file `ppid` with `bytes` atomically. Throws 75 when its folder is missing
    /// or outside, or the file cannot be written.
    void Write(std::string_view ppid, std::string_view bytes) const;
    /// Deletes the file `ppid` (a symbolic link itself, never what it points to).
    void Remove(std::string_view ppid) const;

    /// Every file below the directory as a PPID, depth first: a folder's files, then its
    /// subfolders, each sorted bytewise. Symbolic links are neither listed nor followed.
    std::vector<std::string> List() const;
    /// Deletes every file below the directory; folders remain, symbolic links are left alone.
    void RemoveAllFiles() const;

  private:
    explicit RecipeDirectory(std::filesystem::path root) : root_(std::move(root)) {}
    /// The path of `ppid` when it, once resolved, stays inside.
    std::optional<std::filesystem::path> Inside(std::string_view ppid) const;

    std::filesystem::path root_;
};

}  // namespace kest
