#pragma once

#include <filesystem>
#include <string_view>

namespace kest {

/// "Path/File access error" (75), the number a file that cannot be written is reported with.
inline constexpr int kPathFileAccessError = 75;

/// Replaces `path` with a file holding exactly `bytes`: written to a temporary file beside it,
/// flushed to disk, then renamed over it, so a crash leaves either the old file or the whole new
/// one under its name, never half of it. Throws `KestException` 75 naming the file and the
/// system's reason when any step fails (the temporary file is then removed).
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

/// True when `name` can name a file directly inside a directory: not empty, not "." or "..",
/// and free of "/", "\" and NUL, so joining it to the directory cannot leave the directory.
bool IsPlainFileName(std::string_view name) noexcept;

}  // namespace kest
