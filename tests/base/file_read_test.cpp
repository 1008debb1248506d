// ReadWholeFile: a file read once into the room its size asks for, shrunk when the file shrank
// while it was read, and error 75 for what cannot be read as a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/file_read.h"
#include "support/temp_dir.h"
#include "support/test_helpers.h"

namespace kest::test {
namespace {

struct ReadCase {
    const char* label;
    std::string content;
    std::size_t cut_to;  ///< the file's size once its room is given
    std::string read;
    int error;
};

class WholeFile : public ::testing::TestWithParam<ReadCase> {};

TEST_P(WholeFile, IsReadIntoTheRoomItsSizeAsks) {
    const ReadCase& c = GetParam();
    TempDir dir("kest-read");
    const auto file = dir.Path() / "P";
    if (c.error != 75) std::ofstream(file, std::ios::binary) << c.content;
    std::string room;
    std::vector<std::size_t> asked;
    const int error = ErrorNumber([&] {
        ReadWholeFile(c.label == std::string("Directory") ? dir.Path() : file,
                      [&](std::size_t size) {
                          asked.push_back(size);
                          if (asked.size() == 1) std::filesystem::resize_file(file, c.cut_to);
                          room.resize(size, '?');
                          return std::span(reinterpret_cast<std::uint8_t*>(room.data()), size);
                      });
    });
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(room, c.read);
    EXPECT_EQ(asked.empty() ? 0 : asked.front(), c.content.size());
}

INSTANTIATE_TEST_SUITE_P(Files, WholeFile,
                         ::testing::Values(ReadCase{"Whole", std::string("a\0b\xff", 4), 4,
                                                    std::string("a\0b\xff", 4), 0},
                                           ReadCase{"Empty", "", 0, "", 0},
                                           ReadCase{"ShrankWhileRead", "abcdef", 2, "ab", 0},
                                           ReadCase{"GrewWhileRead", "abc", 5, "abc", 0},
                                           ReadCase{"Missing", "", 0, "", 75},
                                           ReadCase{"Directory", "", 0, "", 75}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kest::test
