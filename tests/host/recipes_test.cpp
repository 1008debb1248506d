// Process programs the host sends, fetches, lists and deletes: each answer code at the wire, and
// the recipe directory as the only place any PPID can reach.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "base/error.h"
#include "host/recipe_directory.h"
#include "host_fixture.h"
#include "queue/queue_store.h"

namespace kest::test {
namespace {

using namespace kest::build;
namespace fs = std::filesystem;

SecsItem Bytes(std::size_t size, char fill = 'x') {
    SecsItem item(enmItemFormat::FormatBinary);
    item.AdoptData(std::string(size, fill));
    return item;
}

// zone/ holds the recipe directory, a folder beside it with a file, a file beside it, and links
// from inside the directory to both.
class Recipes : public HostTest {
  protected:
    Recipes() {
        fs::create_directories(recipes / "SUB");
        fs::create_directories(zone / "outside");
        Write(zone / "outside" / "secret", "secret");
        Write(zone / "beside", "beside");
        fs::create_directory_symlink(zone / "outside", recipes / "out_dir");
        fs::create_symlink(zone / "beside", recipes / "out_file");
        SetState("PPDirectory", recipes.string());
    }

    static void Write(const fs::path& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }

    // Every path below zone/ outside the recipe directory, with its content.
    std::map<std::string, std::string> Outside() const {
        std::map<std::string, std::string> tree;
        for (auto it = fs::recursive_directory_iterator(zone); it != fs::end(it); ++it) {
            if (it->path() == recipes) it.disable_recursion_pending();
            tree[it->path().string()] = it->is_regular_file() ? ReadFile(it->path()) : "";
        }
        return tree;
    }

    std::uint8_t Ack(const std::string& name) {
        const SecsItem code = OnlyReplyBody(name);
        return code.Format() == enmItemFormat::FormatBinary && code.Count() == 1 ? code.Data()[0]
                                                                                 : 0xFF;
    }
    std::uint8_t Send(int function, SecsItem body) {
        Forget();
        Receive(7, function, std::move(body));
        return Ack(MessageName(7, function + 1));
    }

    std::vector<std::string> Queued() const {
        QueueStore store(QueueStore::PathIn(h.dir));
        std::vector<std::string> labels;
        for (const QueueMessage& m : store.PeekAll(QueueNameOfPath(kAcknowledgeQueuePath)))
            labels.push_back(m.Label);
        return labels;
    }

    fs::path zone = h.dir / "zone";
    fs::path recipes = zone / "recipes";
};

struct AckCase {
    const char* label;
    SecsItem body;
    int ack = 0;  ///< the code answered; -1: a stream 9 refusal instead
    const char* refusal = "S9F7";
    /// Sends {R1, this many bytes} instead of `body`: made when the case runs, since every
    /// start of the test program (one per test under ctest) builds all the parameters.
    std::size_t program = 0;
};

class Inquire : public Recipes, public ::testing::WithParamInterface<AckCase> {};

TEST_P(Inquire, AnswersPPGNT) {
    const AckCase& c = GetParam();
    if (c.ack < 0)
        return Check({c.label, SecsMessage(7, 1, true, c.body), std::nullopt, c.refusal});
    EXPECT_EQ(Send(1, c.body), c.ack);
    const bool granted = c.ack == 0;
    EXPECT_EQ(h.EventNames(), granted ? std::vector<std::string>{"GEMProcessProgram/Grant"}
                                      : std::vector<std::string>{});
    EXPECT_EQ(h.core->ExpectMsg().size(), granted ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    S7F1, Inquire,
    ::testing::Values(
        AckCase{"grant", L(A("SUB\\R1"), U4(10)), 0},
        AckCase{"grant_at_limit", L(A("R1"), U4(static_cast<std::uint32_t>(kMaxRecipeSize))), 0},
        AckCase{"above_limit", L(A("R1"), U4(static_cast<std::uint32_t>(kMaxRecipeSize + 1))), 2},
        AckCase{"empty_ppid", L(A(""), U4(10)), 3},
        AckCase{"missing_folder", L(A("NOPE\\R1"), U4(10)), 5},
        AckCase{"length_0", L(A("R1"), U4(0)), 5},
        AckCase{"three_items", L(A("R1"), U4(1), U4(1)), -1, "S9F11"},
        AckCase{"ppid_binary", L(B({1}), U4(1)), -1}, AckCase{"length_u2", L(A("R1"), U2(1)), -1},
        AckCase{"length_two_values", L(A("R1"), U4(1, 2)), -1}, AckCase{"not_a_list", A("R1"), -1}),
    kLabel);

class Send7F3 : public Recipes, public ::testing::WithParamInterface<AckCase> {};

TEST_P(Send7F3, AnswersACKC7AndWritesOnlyWhenAccepted) {
    const AckCase& c = GetParam();
    if (c.ack < 0)
        return Check({c.label, SecsMessage(7, 3, true, c.body), std::nullopt, c.refusal});
    const SecsItem body = c.program ? L(A("R1"), Bytes(c.program)) : c.body;
    h.core->ExpectMsg().push_back({std::string(body.Item(1).Text()), 45});
    EXPECT_EQ(Send(3, body), c.ack);
    EXPECT_TRUE(h.errors.empty());
    const std::string written = fs::exists(recipes / "R1") ? ReadFile(recipes / "R1") : "none";
    EXPECT_EQ(written, c.ack == 0 ? std::string(body.Item(2).Text()) : "none");
    EXPECT_EQ(Queued(),
              c.ack == 0 ? std::vector<std::string>{"R1:Downloaded"} : std::vector<std::string>{});
    EXPECT_EQ(h.EventNames().size(), c.ack == 0 ? 1u : 0u);
    // The program is no longer awaited once its folder was found, whatever the answer.
    EXPECT_EQ(h.core->ExpectMsg().size(), c.ack == 64 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(S7F3, Send7F3,
                         ::testing::Values(AckCase{"written", L(A("R1"), B({0, 1, 0xFF})), 0},
                                           AckCase{"at_limit", L(), 0, "", kMaxRecipeSize},
                                           AckCase{"above_limit", L(), 2, "", kMaxRecipeSize + 1},
                                           AckCase{"empty_body", L(A("R1"), B()), 2},
                                           AckCase{"body_text", L(A("R1"), A("x")), 2},
                                           AckCase{"missing_folder", L(A("NOPE\\R1"), B({1})), 64},
                                           AckCase{"one_item", L(A("R1")), -1, "S9F11"},
                                           AckCase{"ppid_binary", L(B({1}), B({1})), -1}),
                         kLabel);

TEST_F(Recipes, WithoutADirectoryEveryRequestIsRefused) {
    for (const std::string& directory : {std::string("NULL"), (zone / "gone").string()}) {
        SetState("PPDirectory", directory);
        EXPECT_EQ(Send(1, L(A("R1"), U4(1))), 5) << directory;
        EXPECT_EQ(Send(3, L(A("R1"), B({1}))), 1) << directory;
        EXPECT_EQ(Send(17, L()), 1) << directory;
        Forget();
        Receive(7, 5, A("R1"));
        EXPECT_EQ(OnlyReplyBody("S7F6"), L());
        Forget();
        Receive(7, 19);
        EXPECT_EQ(OnlyReplyBody("S7F20"), L());
    }
    EXPECT_TRUE(h.events.empty());
}

TEST_F(Recipes, NoPPIDReachesOutsideTheDirectory) {
    const std::map<std::string, std::string> before = Outside();
    const std::string names[] = {"",
                                 ".",
                                 "..",
                                 "..\\beside",
                                 "../beside",
                                 "\\beside",
                                 "/tmp/x",
                                 "SUB\\..\\..\\beside",
                                 "SUB\\\\R1",
                                 std::string("R\0", 2),
                                 std::string(256, 'n'),
                                 "out_dir\\secret",
                                 "out_dir\\new",
                                 "out_file"};
    for (const std::string& name : names) {
        EXPECT_EQ(Send(1, L(A(name), U4(1))), name.empty() ? 3 : 5) << name;
        EXPECT_EQ(Send(3, L(A(name), B({'!'}))), 64) << name;
        EXPECT_EQ(Send(17, L(A(name))), 4) << name;
        Forget();
        Receive(7, 5, A(name));
        EXPECT_EQ(OnlyReplyBody("S7F6"), L()) << name;
        EXPECT_EQ(Outside(), before) << name;
    }
    EXPECT_TRUE(h.errors.empty());
    EXPECT_THROW(RecipeDirectory::Open(recipes.string())->Write("out_dir\\new", "x"),
                 KestException);
    EXPECT_EQ(Outside(), before);
    // Deleting everything leaves the links and what they point at alone.
    EXPECT_EQ(Send(17, L()), 0);
    EXPECT_EQ(Outside(), before);
    EXPECT_TRUE(fs::is_symlink(recipes / "out_file"));
}

TEST_F(Recipes, NamesAreBytesAndBackslashIsAFolder) {
    const std::string odd = "\xFF\xFE r:1";  // not UTF-8, with a blank and a colon
    EXPECT_EQ(Send(3, L(A(odd), B({7}))), 0);
    EXPECT_EQ(Send(3, L(A("SUB\\R1"), B({8}))), 0);
    EXPECT_EQ(Send(3, L(A("SUB/R2"), B({9}))), 0);
    EXPECT_EQ(ReadFile(recipes / odd), "\x07");
    EXPECT_EQ(ReadFile(recipes / "SUB" / "R1"), "\x08");
    // A folder where the file should go cannot be replaced: reported and answered 64.
    EXPECT_EQ(Send(3, L(A("SUB"), B({1}))), 64);
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "EDPrimaryIn:ReplyS7F3");
    EXPECT_EQ(h.errors[0].ErrCode, 75);
}

TEST_F(Recipes, UploadHandsOutTheFileOrNothing) {
    Write(recipes / "SUB" / "R1", std::string("a\0b", 3));
    Forget();
    Receive(7, 5, A("SUB\\R1"));
    EXPECT_EQ(OnlyReplyBody("S7F6"), L(A("SUB\\R1"), B({'a', 0, 'b'})));
    for (const char* missing : {"SUB\\R2", "sub\\R1", "SUB", ""}) {
        Forget();
        Receive(7, 5, A(missing));
        EXPECT_EQ(OnlyReplyBody("S7F6"), L()) << missing;
    }
    Forget();
    Check({"ppid_u4", SecsMessage(7, 5, true, U4(1)), std::nullopt, "S9F7"});

    // A file at the limit goes out; one above it is reported and not answered.
    fs::resize_file(recipes / "SUB" / "R1", kMaxRecipeSize);
    Forget();
    Receive(7, 5, A("SUB\\R1"));
    EXPECT_EQ(OnlyReplyBody("S7F6").Item(2).Count(), kMaxRecipeSize);
    fs::resize_file(recipes / "SUB" / "R1", kMaxRecipeSize + 1);
    Forget();
    Receive(7, 5, A("SUB\\R1"));
    EXPECT_TRUE(h.driver->replies.empty());
    ASSERT_EQ(h.ErrorCodes(), std::vector<int>{75});
}

TEST_F(Recipes, DeleteTakesAllNamedOrNothingAndAllLeavesFolders) {
    for (const char* name : {"R1", "R2", "SUB/R3"})
        Write(recipes / name, "p");
    EXPECT_EQ(Send(17, L(A("R1"), A("R9"))), 4);
    EXPECT_TRUE(fs::exists(recipes / "R1"));
    EXPECT_TRUE(h.events.empty());
    EXPECT_EQ(Send(17, L(A("R1"), A("SUB\\R3"))), 0);
    EXPECT_FALSE(fs::exists(recipes / "R1"));
    EXPECT_FALSE(fs::exists(recipes / "SUB" / "R3"));
    ASSERT_EQ(h.events.size(), 1u);
    EXPECT_EQ(h.events[0].EventName, "Delete");
    EXPECT_EQ(h.events[0].Output("PPID").ToText(), "R1,SUB\\R3");

    Write(recipes / "SUB" / "R3", "p");
    EXPECT_EQ(Send(17, L()), 0);
    EXPECT_FALSE(fs::exists(recipes / "R2"));
    EXPECT_FALSE(fs::exists(recipes / "SUB" / "R3"));
    EXPECT_TRUE(fs::is_directory(recipes / "SUB"));
    Forget();
    Check({"ppid_u4", SecsMessage(7, 17, true, L(U4(1))), std::nullopt, "S9F7"});
}

TEST_F(Recipes, ListIsFilesThenFoldersSortedBytewise) {
    fs::create_directories(recipes / "SUB" / "DEEP");
    fs::create_directories(recipes / "A");
    for (const char* name : {"b", "B", "\xC3\xA9", "a", "SUB/z", "SUB/DEEP/y", "A/x"})
        Write(recipes / name, "p");
    Forget();
    Receive(7, 19);
    EXPECT_EQ(OnlyReplyBody("S7F20"),
              L(A("B"), A("a"), A("b"), A("\xC3\xA9"), A("A\\x"), A("SUB\\z"), A("SUB\\DEEP\\y")));
    Forget();
    Check({"with_body", SecsMessage(7, 19, true, L()), std::nullopt, "S9F7"});
}

TEST_F(Recipes, AGrantedProgramIsAwaitedForT3) {
    const int t3 = Variant(h.core->Setting("T3Timeout")).ToInt32();
    EXPECT_EQ(Send(1, L(A("R1"), U4(1))), 0);
    EXPECT_EQ(Send(1, L(A("R2"), U4(1))), 0);
    EXPECT_EQ(Send(3, L(A("R1"), B({1}))), 0);
    Forget();
    h.Tick(t3 - 1);
    EXPECT_TRUE(Sent().empty());
    h.Tick(1);
    ASSERT_EQ(Sent(), std::vector<std::string>{"S9F13"});
    EXPECT_EQ(h.driver->sent[0]->Primary().Item(1), L(A("S7F3"), A("R2")));
}

}  // namespace
}  // namespace kest::test
