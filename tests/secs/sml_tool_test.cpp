// Runs the built kest-sml program as a user would: text on standard input, the result on
// standard output, the reason for a refusal on standard error, and the exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include "support/test_helpers.h"

namespace kest {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class SmlTool : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kest-sml-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ASSERT_TRUE(fs::exists(Tool())) << Tool() << " is not built";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    static fs::path Tool() { return fs::path(KEST_BINARY_DIR) / "apps" / "kest-sml"; }

    Outcome Run(const std::string& arguments, const std::string& input) {
        {
            std::ofstream in(dir_ / "in", std::ios::binary);
            in << input;
        }
        std::string command = "'";
        command += Tool().string() + "' " + arguments + " < '" + (dir_ / "in").string() + "' > '" +
                   (dir_ / "out").string() + "' 2> '" + (dir_ / "err").string() + "'";
        int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = ReadFile(dir_ / "out");
        outcome.err = ReadFile(dir_ / "err");
        return outcome;
    }

    // A refusal: status 1, nothing on standard output, one line on standard error.
    void ExpectRefused(const Outcome& outcome, const std::string& reason) {
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "kest-sml: " + reason + "\n");
    }

    fs::path dir_;
};

TEST_F(SmlTool, EncodesAnItemAsLowercaseHex) {
    Outcome o = Run("encode", "<L [2] <U4 1> <A \"x\">>\n");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "0102b10400000001410178\n");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(Run("encode", "// empty binary\n<B>").out, "2100\n");
    EXPECT_EQ(Run("encode", "<BOOLEAN TRUE>").out, "250101\n");
}

TEST_F(SmlTool, DecodesHexToMultiLineSml) {
    const std::string sml = "<L [2]\n  <U4 1>\n  <A \"x\">\n>\n";
    Outcome o = Run("decode", "0102b10400000001410178\n");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, sml);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(Run("decode", "01 02 b1 04\n00 00 00 01\t41 01 78").out, sml);
    EXPECT_EQ(Run("decode", "0x0102B10400000001410178").out, sml);
    EXPECT_EQ(Run("decode", "0x01 0x02 0xb1 0x04 0x00000001 0x41 0x01 0x78").out, sml);
}

TEST_F(SmlTool, HandlesWholeMessages) {
    Outcome encoded = Run("encode --message", "S1F3 W\n<L [1] <U4 1>>\n.\n");
    EXPECT_EQ(encoded.status, 0);
    EXPECT_EQ(encoded.out, "0101b10400000001\n");
    EXPECT_EQ(Run("encode --message", "S1F1 W .").out, "\n");  // header only: an empty body

    Outcome decoded = Run("decode --message --stream 1 --function 3 --wbit", "0101b10400000001");
    EXPECT_EQ(decoded.status, 0);
    EXPECT_EQ(decoded.out, "S1F3 W\n<L [1]\n  <U4 1>\n>\n.\n");
    EXPECT_EQ(Run("decode --message --stream 1 --function 2", "").out, "S1F2\n.\n");
}

TEST_F(SmlTool, RefusesBadInputWithStatusOne) {
    ExpectRefused(Run("encode", "<L [3] <U4 1>>"),
                  "line 1, column 4: the count [3] does not match the 1 item of <L>");
    ExpectRefused(Run("encode", "<U1 256>"),
                  "line 1, column 5: '256' is out of range for U1 (0 to 255)");
    ExpectRefused(Run("encode", ""),
                  "line 1, column 1: expected '<' to start an item, found the end of the text");
    ExpectRefused(Run("encode --message", "S1F1 W <U4> <U4>"),
                  "line 1, column 13: expected the end of the text after the message, found '<'");
    ExpectRefused(Run("decode", "0102b\n"),
                  "line 1, column 5: odd number of hex digits: this last digit lacks its partner");
    ExpectRefused(Run("decode", "01 0g"), "line 1, column 5: expected a hex digit, found 'g'");
    ExpectRefused(Run("decode", "0x"),
                  "line 1, column 3: expected hex digits after 0x, found the end of the text");
    ExpectRefused(Run("decode", ""),
                  "SECS-II decode error at byte 0: truncated: item header expected");
    ExpectRefused(Run("decode", "b10400"),
                  "SECS-II decode error at byte 0: truncated: 4 data bytes claimed, 1 left");
    ExpectRefused(Run("decode", "4100 00"),
                  "SECS-II decode error at byte 2: 1 trailing bytes after the item");
    // The variable format has an SML form but no encoding.
    Outcome v = Run("encode", "<V>");
    EXPECT_EQ(v.status, 1);
    EXPECT_EQ(v.out, "");
    EXPECT_NE(v.err.find("cannot be sent"), std::string::npos) << v.err;
}

TEST_F(SmlTool, ExplainsItsUsage) {
    Outcome help = Run("--help", "");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("encode"), std::string::npos);
    EXPECT_NE(help.out.find("decode"), std::string::npos);
    EXPECT_EQ(Run("", "").status, 2);                             // no command
    EXPECT_EQ(Run("decode --stream 1", "").status, 2);            // --stream needs --message
    EXPECT_EQ(Run("decode --message --stream 1", "").status, 2);  // and --function
    EXPECT_EQ(Run("decode --message --stream 128 --function 1", "").status, 2);
}

}  // namespace
}  // namespace kest
