#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kest {

/// Where the process program (or object) named `ppid` lives below `directory`. The wire
/// separates folders with "\"; "/" counts as a separator too, so neither can smuggle a path in.
/// Empty when the name could leave the directory or cannot name a file there: an empty name, a
/// leading separator, an empty, "." or ".." component, a NUL byte, or a component longer than a
/// file name may be (255 bytes). The file system is not consulted.
std::optional<std::filesystem::path> RecipeFilePath(const std::filesystem::path& directory,
                                                    std::string_view ppid);

/// True when `target` lies inside `directory` once every symbolic link on the way has been
/// followed: the part of `target` that exists is resolved, a missing tail is taken as written.
/// False when `directory` does not exist or either path cannot be resolved.
bool StaysInside(const std::filesystem::path& directory, const std::filesystem::path& target);

/// `relative`, a path below the recipe directory, as the wire names it: folders joined by "\".
std::string PPIDFromPath(const std::filesystem::path& relative);

}  // namespace kest
