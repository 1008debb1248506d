#include "base/recipe_path.h"

#include <algorithm>
#include <system_error>

namespace kest {

namespace {

// The longest file name Linux file systems take; a longer component can never be created, so
// it is refused here rather than failing half way through a write.
constexpr std::size_t kMaxComponent = 255;

bool IsSeparator(char c) noexcept {
    return c == '\\' || c == '/';
}

bool IsUsableComponent(std::string_view part) noexcept {
    return !part.empty() && part != "." && part != ".." && part.size() <= kMaxComponent;
}

}  // namespace

std::optional<std::filesystem::path> RecipeFilePath(const std::filesystem::path& directory,
                                                    std::string_view ppid) {
    if (ppid.find('\0') != std::string_view::npos) return std::nullopt;
    std::filesystem::path file = directory;
    std::size_t start = 0;
    while (true) {
        const auto end = std::find_if(ppid.begin() + static_cast<std::ptrdiff_t>(start), ppid.end(),
                                      IsSeparator);
        const auto stop = static_cast<std::size_t>(end - ppid.begin());
        const std::string_view part = ppid.substr(start, stop - start);
        if (!IsUsableComponent(part)) return std::nullopt;
        file /= std::string(part);
        if (end == ppid.end()) return file;
        start = stop + 1;
    }
}

bool StaysInside(const std::filesystem::path& directory, const std::filesystem::path& target) {
    std::error_code error;
    const std::filesystem::path root = std::filesystem::canonical(directory, error);
    if (error) return false;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
    if (error) return false;
    auto [in_root, in_target] =
        std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
    // Every component of the root must lead the target, and the target must go further.
    return in_root == root.end() && in_target != resolved.end();
}

std::string PPIDFromPath(const std::filesystem::path& relative) {
    std::string ppid;
    for (const auto& part : relative) {
        if (!ppid.empty()) ppid += '\\';
        ppid += part.string();
    }
    return ppid;
}

}  // namespace kest
