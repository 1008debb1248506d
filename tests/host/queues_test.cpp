// What the equipment software learns through the local queues: S2F21 remote commands, and the
// host's acknowledgements and downloads, each checked from the message to the stored label.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "host_fixture.h"
#include "queue/queue_store.h"

namespace kest::test {
namespace {

using namespace kest::build;
namespace fs = std::filesystem;

class Queued : public HostTest {
  protected:
    fs::path Store() const { return QueueStore::PathIn(h.dir); }

    // The labels waiting on the queue of `path`, in receive order; each must have priority 5
    // and the body "Null".
    std::vector<std::string> Labels(std::string_view path) const {
        if (!fs::is_regular_file(Store())) return {};
        QueueStore store(Store());
        std::vector<std::string> labels;
        for (const QueueMessage& m : store.PeekAll(QueueNameOfPath(path))) {
            EXPECT_EQ(m.Priority, 5);
            EXPECT_EQ(m.Body, "Null");
            labels.push_back(m.Label);
        }
        return labels;
    }
    std::vector<std::string> Acknowledged() const { return Labels(kAcknowledgeQueuePath); }
    std::vector<std::string> Commands() const { return Labels(kRemoteCommandQueuePath); }

    // The host's reply `reply` to our primary `primary`.
    void HostReplies(const char* primary, SecsMessage reply) {
        h.driver->InjectReply(h.driver->CreateTransaction(primary), std::move(reply));
    }

    // CMDA of the S2F22 that answers S2F21 `rcmd`.
    int RemoteCommand(const std::string& rcmd) {
        Forget();
        Receive(2, 21, A(rcmd));
        const SecsItem cmda = OnlyReplyBody("S2F22");
        return cmda.Format() == enmItemFormat::FormatU1 ? static_cast<int>(cmda.Value().ToInt64())
                                                        : -1;
    }
};

struct ReplyCase {
    const char* label;
    const char* primary;
    SecsMessage reply;
    const char* queued = nullptr;  ///< the label queued; none: nothing
    bool refused = false;          ///< S9F7 about the reply
};

class HostReply : public Queued, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(HostReply, QueuesItsLabelOrIsRefused) {
    const ReplyCase& c = GetParam();
    HostReplies(c.primary, c.reply);
    EXPECT_TRUE(h.errors.empty()) << h.errors.front().ErrText;
    const std::vector<std::string> expected =
        c.queued ? std::vector<std::string>{c.queued} : std::vector<std::string>{};
    EXPECT_EQ(Acknowledged(), expected);
    if (c.refused) {
        ExpectStream9(0, "S9F7",
                      {0x80, 0x00, static_cast<std::uint8_t>(c.reply.Stream()),
                       static_cast<std::uint8_t>(c.reply.Function()), 0x80, 0x01, 0, 0, 0, 0});
    } else {
        EXPECT_TRUE(Sent().empty());
    }
}

SecsItem S14F2(SecsItem objid, SecsItem data, int objack, SecsItem errors) {
    return L(L(L(std::move(objid), L(L(A("MAP"), std::move(data))))),
             L(U1(objack), std::move(errors)));
}

INSTANTIATE_TEST_SUITE_P(
    Acknowledgements, HostReply,
    ::testing::Values(
        ReplyCase{"S5F2", "S5F1", SecsMessage(5, 2, false, B({0})), "ACKC5(0)"},
        ReplyCase{"S6F12", "S6F11", SecsMessage(6, 12, false, B({3})), "ACKC6(3)"},
        ReplyCase{"S7F4_as_U1", "S7F3", SecsMessage(7, 4, false, U1(64)), "ACKC7(64)"},
        ReplyCase{"S10F2", "S10F1", SecsMessage(10, 2, false, B({255})), "ACKC10(255)"},
        ReplyCase{"two_codes", "S5F1", SecsMessage(5, 2, false, B({0, 1})), nullptr, true},
        ReplyCase{"code_as_text", "S6F11", SecsMessage(6, 12, false, A("0")), nullptr, true},
        ReplyCase{"code_too_big", "S7F3", SecsMessage(7, 4, false, U2(256)), nullptr, true},
        ReplyCase{"no_code", "S10F1", SecsMessage(10, 2, false), nullptr, true},
        ReplyCase{"S7F6", "S7F5", SecsMessage(7, 6, false, L(A("SUB\\R1"), B({1}))),
                  "SUB\\R1:Downloaded"},
        ReplyCase{"S7F6_no_program", "S7F5", SecsMessage(7, 6, false, L())},
        ReplyCase{"S7F6_ppid_binary", "S7F5", SecsMessage(7, 6, false, L(B({1}), B({1}))), nullptr,
                  true},
        ReplyCase{"S14F2_failure", "S14F1",
                  SecsMessage(14, 2, false, S14F2(A("W01"), B(), 1, L(L(U4(7), A("no map"))))),
                  "W01:no map"},
        ReplyCase{"S14F2_error_listed", "S14F1",
                  SecsMessage(14, 2, false, S14F2(A("W02"), B({1}), 0, L(L(U4(1), A("late"))))),
                  "W02:late"},
        ReplyCase{"S14F2_objid_binary", "S14F1",
                  SecsMessage(14, 2, false, S14F2(B({1}), B({1}), 0, L())), nullptr, true},
        ReplyCase{
            "S14F2_objack_binary", "S14F1",
            SecsMessage(14, 2, false, L(L(L(A("W01"), L(L(A("MAP"), B({1}))))), L(B({0}), L()))),
            nullptr, true},
        ReplyCase{"S14F2_success_without_data", "S14F1",
                  SecsMessage(14, 2, false, L(L(), L(U1(0), L()))), nullptr, true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Queued, AnObjectDownloadBecomesAFileOfTheRecipeDirectoryOnly) {
    const fs::path recipes = h.dir / "recipes";
    fs::create_directories(recipes);
    SetState("PPDirectory", recipes.string());
    HostReplies("S14F1", SecsMessage(14, 2, false, S14F2(A("W01"), B({1, 0, 2}), 0, L())));
    HostReplies("S14F1", SecsMessage(14, 2, false, S14F2(A("W01"), B({9}), 0, L())));
    EXPECT_TRUE(h.errors.empty());
    EXPECT_EQ(ReadFile(recipes / "W01"), std::string("\x09", 1));
    EXPECT_EQ(h.GemVar("ObjectID"), "W01");
    EXPECT_EQ(Acknowledged(), (std::vector<std::string>{"W01:Downloaded", "W01:Downloaded"}));

    // Names that would leave the directory, and a directory that is gone, write nothing.
    for (const char* name : {"../W02", "sub/W02", "..", "", "a\\b"}) {
        HostReplies("S14F1", SecsMessage(14, 2, false, S14F2(A(name), B({1}), 0, L())));
    }
    std::vector<KestError> errors = h.errors;
    SetState("PPDirectory", (h.dir / "gone").string());
    HostReplies("S14F1", SecsMessage(14, 2, false, S14F2(A("W03"), B({1}), 0, L())));
    errors.insert(errors.end(), h.errors.begin(), h.errors.end());
    ASSERT_EQ(errors.size(), 6u);
    for (const KestError& e : errors) {
        EXPECT_EQ(e.ErrSource, "EDPrimaryIn:ReplyS14F2");
        EXPECT_EQ(e.ErrCode, 75);
    }
    EXPECT_FALSE(fs::exists(h.dir / "W02"));
    EXPECT_EQ(std::distance(fs::directory_iterator(recipes), fs::directory_iterator()), 1);
    EXPECT_EQ(h.GemVar("ObjectID"), "W01");
    EXPECT_EQ(Acknowledged().size(), 2u);
}

TEST_F(Queued, RemoteCommandsAreQueuedOnlyWhenKnownWithoutParametersAndRemote) {
    h.Sql(
        "INSERT INTO RemoteCommand_RCMD (V_alue, TotalCPname) VALUES ('START', '0'), "
        "('PP-SELECT', '1'), ('it''s', '0')");
    EXPECT_EQ(RemoteCommand("START"), 0);
    EXPECT_EQ(RemoteCommand("PP-SELECT"), 1);
    EXPECT_EQ(RemoteCommand("STOP"), 1);
    EXPECT_EQ(RemoteCommand("START' OR '1'='1"), 1);
    EXPECT_EQ(RemoteCommand("it's"), 0);
    h.Sql("UPDATE secsgem_equip_to_host SET ValueX = '4' WHERE NameX = 'HCACK_NeedReply_To_Host'");
    EXPECT_EQ(RemoteCommand("START"), 4);
    SetState("ControlState", 4);
    EXPECT_EQ(RemoteCommand("START"), 2);
    EXPECT_TRUE(h.errors.empty());
    EXPECT_EQ(Commands(), (std::vector<std::string>{"START", "it's", "START"}));

    Forget();
    Receive(2, 21, U4(1));
    ExpectStream9(0, "S9F7", {0x80, 0x00, 0x02, 21, 0x80, 0x01, 0, 0, 0, 0});
}

TEST_F(Queued, AQueueThatCannotTakeTheCommandStillLetsS2F21Answer) {
    h.Sql("INSERT INTO RemoteCommand_RCMD (V_alue, TotalCPname) VALUES ('START', '0')");
    // A store that cannot be opened drops the label with a line in the log, no notification.
    fs::create_directories(Store());
    EXPECT_EQ(RemoteCommand("START"), 0);
    EXPECT_TRUE(h.errors.empty());
    EXPECT_NE(ReadFile(h.dir / "Log" / "Log.txt").find("label START not sent"), std::string::npos);
    fs::remove(Store());

    // A store that opens but refuses the message reports it; the next send opens it afresh.
    EXPECT_EQ(RemoteCommand("START"), 0);
    {
        QueueStore store(Store());
        store.Receive(QueueNameOfPath(kRemoteCommandQueuePath));
    }
    h.Sql("ATTACH '" + Store().string() + "' AS q; CREATE TRIGGER q.refuse BEFORE INSERT ON " +
          "message BEGIN SELECT RAISE(ABORT, 'queue closed'); END; DETACH q");
    EXPECT_EQ(RemoteCommand("START"), 0);
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "EDPrimaryIn:SendMsg");
    EXPECT_NE(h.errors[0].ErrText.find("queue closed"), std::string::npos);
    h.Sql("ATTACH '" + Store().string() + "' AS q; DROP TRIGGER q.refuse; DETACH q");
    EXPECT_EQ(RemoteCommand("START"), 0);
    EXPECT_EQ(Commands(), std::vector<std::string>{"START"});
}

}  // namespace
}  // namespace kest::test
