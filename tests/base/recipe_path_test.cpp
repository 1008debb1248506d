#include "base/recipe_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace kest {
namespace {

namespace fs = std::filesystem;

TEST(RecipePath, MapsWireNamesAndRefusesEveryWayOut) {
    const fs::path dir = "/recipes";
    struct Case {
        std::string ppid;
        const char* file;  // nullptr: refused
    } cases[] = {
        {"A.RCP", "/recipes/A.RCP"},
        {"SUB\\A.RCP", "/recipes/SUB/A.RCP"},
        {"SUB/DEEP\\A", "/recipes/SUB/DEEP/A"},
        {"caf\xc3\xa9 \xff", "/recipes/caf\xc3\xa9 \xff"},  // any bytes but the separators and NUL
        {"..A", "/recipes/..A"},
        {std::string(255, 'x'), nullptr},  // filled in below
        {"", nullptr},
        {".", nullptr},
        {"..", nullptr},
        {"..\\etc\\passwd", nullptr},
        {"SUB\\..\\..\\x", nullptr},
        {"\\A", nullptr},
        {"/etc/passwd", nullptr},
        {"SUB\\", nullptr},
        {"SUB\\\\A", nullptr},
        {"SUB\\.\\A", nullptr},
        {std::string("A\0B", 3), nullptr},
        {std::string(256, 'x'), nullptr},
    };
    const std::string longest = "/recipes/" + std::string(255, 'x');
    cases[5].file = longest.c_str();
    for (const Case& c : cases) {
        const auto file = RecipeFilePath(dir, c.ppid);
        if (c.file == nullptr) {
            EXPECT_FALSE(file.has_value()) << c.ppid << " -> " << file.value_or("").string();
        } else {
            ASSERT_TRUE(file.has_value()) << c.ppid;
            EXPECT_EQ(*file, fs::path(c.file));
        }
    }
}

TEST(RecipePath, SymbolicLinksOutOfTheDirectoryAreCaught) {
    const fs::path base = fs::temp_directory_path() / ("recipe_path_" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "recipes" / "SUB");
    fs::create_directories(base / "outside");
    std::ofstream(base / "outside" / "secret") << "x";
    fs::create_directory_symlink(base / "outside", base / "recipes" / "LINK");
    fs::create_symlink(base / "outside" / "secret", base / "recipes" / "FILE");
    fs::create_symlink("SUB", base / "recipes" / "NEAR");
    const fs::path dir = base / "recipes";

    EXPECT_TRUE(StaysInside(dir, dir / "SUB" / "new"));
    EXPECT_TRUE(StaysInside(dir, dir / "NEAR" / "x"));  // a link that stays inside is fine
    EXPECT_TRUE(StaysInside(dir, dir / "missing" / "deeper"));
    EXPECT_FALSE(StaysInside(dir, dir / "LINK" / "secret"));
    EXPECT_FALSE(StaysInside(dir, dir / "LINK" / "new"));
    EXPECT_FALSE(StaysInside(dir, dir / "FILE"));
    EXPECT_FALSE(StaysInside(dir, dir));  // the directory itself is no file in it
    EXPECT_FALSE(StaysInside(dir, base / "recipes2"));
    EXPECT_FALSE(StaysInside(base / "none", base / "none" / "x"));
    fs::remove_all(base);
}

TEST(RecipePath, WireNameOfAPathBelowTheDirectory) {
    EXPECT_EQ(PPIDFromPath("A.RCP"), "A.RCP");
    EXPECT_EQ(PPIDFromPath(fs::path("SUB") / "DEEP" / "A.RCP"), "SUB\\DEEP\\A.RCP");
}

}  // namespace
}  // namespace kest
