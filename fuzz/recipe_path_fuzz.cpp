// Feeds arbitrary PPIDs to the mapping from a wire name to a file of the recipe directory. Every
// path it gives must lie lexically below the directory: the directory's components first, then
// at least one more, none of them empty, "." or "..", none holding a separator or a NUL byte.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "base/recipe_path.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path root = "/recipes/root";
    const std::string_view ppid(reinterpret_cast<const char*>(data), size);
    const std::optional<std::filesystem::path> file = kest::RecipeFilePath(root, ppid);
    if (!file) return 0;
    auto part = file->begin();
    for (const auto& expected : root) {
        Require(part != file->end() && *part == expected);
        ++part;
    }
    Require(part != file->end());
    for (; part != file->end(); ++part) {
        const std::string name = part->string();
        Require(!name.empty() && name != "." && name != "..");
        Require(name.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos);
    }
    return 0;
}
