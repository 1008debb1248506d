#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

namespace kest {

/// Gives room for `size` bytes; a second call with a smaller size shrinks it.
using ReadBuffer = std::function<std::span<std::uint8_t>(std::size_t size)>;

/// Reads the whole file at `path` once, straight into the room `buffer` gives for the file's
/// size, so the bytes land where they are used without a copy. A file that shrank meanwhile
/// gives what was there; one that grew gives its size when opened. Throws `KestException` 75
/// naming the file and the system's reason when it cannot be opened or read.
void ReadWholeFile(const std::filesystem::path& path, const ReadBuffer& buffer);

}  // namespace kest
