// GEMProcessProgram: the refusals in their order, the stream 7 primaries on the wire, the upload
// (grant, then the program), the download written into its directory, the delete request, and
// what a lost link, a driver error, a failed send and a time-out report; and the window's S7F23.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "secs/codec.h"
#include "service_fixture.h"
#include "services/gem_process_program.h"

namespace kest::test {
namespace {

using namespace kest::build;
using Strings = std::vector<std::string>;
using Call = std::function<bool(GEMProcessProgram&, const std::string& dir)>;

const Call kUpload = [](GEMProcessProgram& p, const std::string& d) {
    return p.RecipeUploadToHost("SUB\\A.RCP", 4, d);
};
const Call kDownload = [](GEMProcessProgram& p, const std::string& d) {
    return p.RecipeDownloadFromHost("X.RCP", d);
};
const Call kDelete = [](GEMProcessProgram& p, const std::string&) { return p.RecipeDelete("A,B"); };
const Call kDeleteAll = [](GEMProcessProgram& p, const std::string&) {
    return p.AllRecipeDelete();
};

/// A communicating control and a program directory holding SUB/A.RCP.
class Programs : public ServiceTest {
  protected:
    void SetUp() override {
        h.Communicating();
        h.SetGemVar("ConfigSpool", 0);  // no spooling events when a test drops the link
        std::filesystem::create_directories(h.dir / "pp" / "SUB");
        Write("SUB/A.RCP", std::string("\x00\x01\xff\x7f", 4));
        h.ClearRecords();
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(h.dir / "pp" / name, std::ios::binary) << bytes;
    }
    std::string Dir() const { return (h.dir / "pp").string(); }
    /// `text` with "{dir}" standing for the program directory.
    std::string Expand(std::string text) const {
        if (auto at = text.find("{dir}"); at != std::string::npos) text.replace(at, 5, Dir());
        return text;
    }
    bool Run(const Call& call) { return call(*h.server->GEMProcessProgram(), Dir()); }

    /// Every method notification as "Method in=value ... | out=value ...".
    Strings Outcomes() const {
        Strings found;
        for (const auto& m : h.methods) {
            std::string line = m.MethodName;
            for (const auto& i : m.Inputs())
                line += " " + i.ItemName + "=" + i.ItemValue.ToText();
            line += " |";
            for (const auto& o : m.Outputs())
                line += " " + o.ItemName + "=" + o.ItemValue.ToText();
            found.push_back(line);
        }
        return found;
    }
    Strings TimedOut() const {
        Strings found;
        for (const auto& e : h.events)
            if (e.EventName == "GEMTimeout") found.push_back(e.Output("MethodName").ToText());
        return found;
    }
};

struct RefusalCase {
    const char* label;
    Call call;
    const char* port;
    int comm_state;
    int control_state;
    int code;  ///< 0: accepted
    std::string text;
};

class Refusal : public Programs, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, EndsTheCallWithItsErrorAndSendsNothing) {
    const RefusalCase& c = GetParam();
    h.core->SetSetting("PortOpened", c.port);
    h.SetGemVar("CommState", c.comm_state);
    h.SetGemVar("ControlState", c.control_state);
    h.ClearRecords();  // the state changes report events of their own
    const std::size_t sent = h.driver->sent.size();
    const std::size_t live = LiveTransactions();
    EXPECT_EQ(Run(c.call), c.code == 0);
    EXPECT_EQ(h.ErrorCodes(), c.code ? std::vector<int>{c.code} : std::vector<int>{});
    if (c.code) {
        EXPECT_EQ(h.errors[0].ErrText, Expand(c.text));
        EXPECT_EQ(h.errors[0].ErrSource.rfind("GEMProcessProgram:", 0), 0u);
    }
    EXPECT_EQ(h.driver->sent.size(), sent + (c.code ? 0 : 1));
    EXPECT_EQ(LiveTransactions(), live + (c.code ? 0 : 1));
}

Call Upload(const char* ppid, std::int32_t length, const char* under = "") {
    return [=](GEMProcessProgram& p, const std::string& d) {
        return p.RecipeUploadToHost(ppid, length, *under == '-' ? std::string() : d + under);
    };
}
Call Download(const char* ppid, const char* under = "") {
    return [=](GEMProcessProgram& p, const std::string& d) {
        return p.RecipeDownloadFromHost(ppid, *under == '-' ? std::string() : d + under);
    };
}

const std::string kPort = "Invalid port connect state to perform this task.";
const std::string kComm = "Invalid communication state to perform this task.";
const std::string kControl = "Invalid control state to perform this task.";
const std::string kUp = " in [GEMProcessProgram.RecipeUploadToHost].";
const std::string kDown = " in [GEMProcessProgram.RecipeDownloadFromHost].";

INSTANTIATE_TEST_SUITE_P(
    Requests, Refusal,
    ::testing::Values(
        RefusalCase{"PortBeforeAll", kUpload, "FALSE", 1, 1, 4019, kPort},
        RefusalCase{"PortBeforeArguments", Download(""), "FALSE", 2, 5, 4019, kPort},
        RefusalCase{"CommBeforeControl", kDelete, "TRUE", 1, 1, 4020, kComm},
        RefusalCase{"HostOffline", kDeleteAll, "TRUE", 2, 3, 4021, kControl},
        RefusalCase{"OnlineLocal", kDeleteAll, "TRUE", 2, 4, 0, ""},
        RefusalCase{"EmptyDeleteList",
                    [](GEMProcessProgram& p, const std::string&) { return p.RecipeDelete(""); },
                    "TRUE", 2, 5, 4010, "No PPID parameter in [GEMProcessProgram.RecipeDelete]."},
        RefusalCase{"DownloadPPID", Download("", "-"), "TRUE", 2, 5, 4012,
                    "Invalid value PPID parameter" + kDown},
        RefusalCase{"DownloadPath", Download("X", "-"), "TRUE", 2, 5, 4013,
                    "Invalid value PPIDRECEIVEPATH parameter" + kDown},
        RefusalCase{"DownloadDirectory", Download("X", "/SUB/A.RCP"), "TRUE", 2, 5, 4014,
                    "{dir}/SUB/A.RCP directory not exist" + kDown},
        RefusalCase{"UploadPPIDFirst", Upload("", 0, "-"), "TRUE", 2, 5, 4015,
                    "Invalid value PPID parameter" + kUp},
        RefusalCase{"UploadLengthZero", Upload("SUB\\A.RCP", 0, "-"), "TRUE", 2, 5, 4016,
                    "Invalid value LENGTH parameter" + kUp},
        RefusalCase{"UploadPath", Upload("SUB\\A.RCP", 1, "-"), "TRUE", 2, 5, 4017,
                    "Invalid value PPIDSENTPATH parameter" + kUp},
        RefusalCase{"UploadDirectory", Upload("A.RCP", 1, "/none"), "TRUE", 2, 5, 4018,
                    "{dir}/none directory not exist" + kUp},
        RefusalCase{"UploadFile", Upload("A.RCP", 1), "TRUE", 2, 5, 4027, "A.RCP not exist" + kUp},
        RefusalCase{"UploadDirectoryAsFile", Upload("SUB", 1), "TRUE", 2, 5, 4027,
                    "SUB not exist" + kUp},
        RefusalCase{"UploadLeavingTheDirectory", Upload("..\\pp\\SUB\\A.RCP", 1), "TRUE", 2, 5,
                    4027, "..\\pp\\SUB\\A.RCP not exist" + kUp}),
    kLabel);

struct BodyCase {
    const char* label;
    Call call;
    const char* primary;
    SecsItem body;
};

class Body : public Programs, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(Body, IsSentDirectlyWithTheTransactionNumberAsTag) {
    Write(" B.RCP", "x");
    ASSERT_TRUE(Run(GetParam().call));
    ASSERT_EQ(h.driver->SentNames(), Strings{GetParam().primary});
    auto sent = h.driver->LastSent();
    EXPECT_TRUE(sent->ReplyExpected());
    EXPECT_EQ(sent->Primary().RootItem(), L(GetParam().body));
    EXPECT_TRUE(h.core->Actions().Contains(TagOf(*sent)));
}

INSTANTIATE_TEST_SUITE_P(
    Stream7, Body,
    ::testing::Values(BodyCase{"UploadTrimmed", Upload(" B.RCP", 1), "S7F1", L(A("B.RCP"), U4(1))},
                      BodyCase{"UploadBelow", kUpload, "S7F1", L(A("SUB\\A.RCP"), U4(4))},
                      BodyCase{"DownloadTrimmed", Download("  X.RCP "), "S7F5", A("X.RCP")},
                      BodyCase{"DeleteTwo", kDelete, "S7F17", L(A("A"), A("B"))},
                      BodyCase{"DeletePiecesAsGiven",
                               [](GEMProcessProgram& p, const std::string&) {
                                   return p.RecipeDelete(" A,,B ");
                               },
                               "S7F17", L(A(" A"), A(""), A("B "))},
                      BodyCase{"DeleteAll", kDeleteAll, "S7F17", L()}),
    kLabel);

TEST_F(Programs, UploadSendsTheProgramUnderTheSameNumberOnlyWhenGranted) {
    const std::string inputs = "RecipeUploadToHost PPID=SUB\\A.RCP LENGTH=4 PPIDSENTPATH=" + Dir();
    for (std::uint8_t ppgnt : {1, 2}) {  // already have, no space
        ASSERT_TRUE(Run(kUpload));
        h.driver->InjectReply(h.driver->LastSent(), Reply(7, 2, B({ppgnt})));
    }
    EXPECT_EQ(Outcomes(),
              (Strings{inputs + " | PPGNT=1 ACKC7=-1", inputs + " | PPGNT=2 ACKC7=-1"}));
    EXPECT_EQ(h.driver->SentNames(), (Strings{"S7F1", "S7F1"}));

    h.ClearRecords();
    ASSERT_TRUE(Run(kUpload));
    auto inquire = h.driver->LastSent();
    h.driver->InjectReply(inquire, Reply(7, 4, B({0})));  // not before the grant
    h.driver->InjectReply(inquire, Reply(7, 2, B({0})));
    ASSERT_EQ(h.driver->SentNames(), (Strings{"S7F1", "S7F1", "S7F1", "S7F3"}));
    auto send = h.driver->LastSent();
    EXPECT_EQ(TagOf(*send), TagOf(*inquire));
    EXPECT_TRUE(send->ReplyExpected());
    EXPECT_EQ(send->Primary().RootItem(), L(L(A("SUB\\A.RCP"), B({0x00, 0x01, 0xff, 0x7f}))));
    h.driver->InjectReply(send, Reply(7, 2, B({0})));  // the grant is not taken twice
    EXPECT_EQ(h.driver->sent.size(), 4u);
    EXPECT_TRUE(Outcomes().empty());
    h.driver->InjectReply(send, Reply(7, 4, B({5})));
    EXPECT_EQ(Outcomes(), Strings{inputs + " | PPGNT=0 ACKC7=5"});
    EXPECT_EQ(LiveTransactions(), 0u);
}

TEST_F(Programs, AProgramThatCannotBeSentAfterTheGrantWaitsForItsTimeout) {
    ASSERT_TRUE(Run(kUpload));
    auto removed = h.driver->LastSent();
    ASSERT_TRUE(Run(kUpload));
    auto refused = h.driver->LastSent();
    std::filesystem::rename(h.dir / "pp" / "SUB" / "A.RCP", h.dir / "pp" / "A.OLD");
    h.driver->InjectReply(removed, Reply(7, 2, B({0})));
    std::filesystem::rename(h.dir / "pp" / "A.OLD", h.dir / "pp" / "SUB" / "A.RCP");
    h.driver->accept_sends = false;
    h.driver->InjectReply(refused, Reply(7, 2, B({0})));
    ASSERT_EQ(h.ErrorCodes(), (std::vector<int>{75, 6002, 6002}));
    EXPECT_EQ(h.errors[0].ErrSource, "modSECS:SECSTrans_S7F3");
    for (int i : {1, 2}) {
        EXPECT_EQ(h.errors[i].ErrText, "SECS [S7F3] message send failed.");
        EXPECT_EQ(h.errors[i].ErrSource, "EDRecipeUpload:IEDAction_ReceivedSecondary");
    }
    EXPECT_TRUE(Outcomes().empty());
    h.Tick(150);
    EXPECT_EQ(TimedOut(), (Strings{"RecipeUploadToHost", "RecipeUploadToHost"}));
}

struct DownloadCase {
    const char* label;
    const char* ppid;
    std::optional<SecsItem> reply;
    bool received;
    const char* file;  ///< where the program lands, below the directory
};

class Downloaded : public Programs, public ::testing::WithParamInterface<DownloadCase> {};

TEST_P(Downloaded, IsWrittenOnlyWhenTheReplyCarriesTheRequestedProgram) {
    const DownloadCase& c = GetParam();
    Write("X.RCP", "old");
    ASSERT_TRUE(Run(Download(c.ppid)));
    h.driver->InjectReply(h.driver->LastSent(), Reply(7, 6, c.reply));
    EXPECT_EQ(Outcomes(), Strings{std::string("RecipeDownloadFromHost PPID=") + c.ppid +
                                  " PPIDRECEIVEPATH=" + Dir() +
                                  " | FileReceived=" + (c.received ? "True" : "False")});
    EXPECT_TRUE(h.errors.empty());
    EXPECT_EQ(ReadFile(h.dir / "pp" / c.file), c.received ? "\x01\x02" : "");
    EXPECT_EQ(ReadFile(h.dir / "pp" / "X.RCP"),
              c.file == std::string("X.RCP") ? "\x01\x02" : "old");
    EXPECT_EQ(LiveTransactions(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    S7F6, Downloaded,
    ::testing::Values(
        DownloadCase{"Replaced", "X.RCP", L(A("X.RCP"), B({1, 2})), true, "X.RCP"},
        DownloadCase{"Below", "SUB\\Y.RCP", L(A("SUB\\Y.RCP"), B({1, 2})), true, "SUB/Y.RCP"},
        DownloadCase{"TrimmedName", " Y.RCP", L(A("Y.RCP"), B({1, 2})), true, "Y.RCP"},
        DownloadCase{"EmptyList", "Y.RCP", L(), false, "Y.RCP"},
        DownloadCase{"HeaderOnly", "Y.RCP", std::nullopt, false, "Y.RCP"},
        DownloadCase{"OneItem", "Y.RCP", L(A("Y.RCP")), false, "Y.RCP"},
        DownloadCase{"OtherProgram", "Y.RCP", L(A("Z.RCP"), B({1, 2})), false, "Z.RCP"},
        DownloadCase{"NameNotText", "Y.RCP", L(J("Y.RCP"), B({1, 2})), false, "Y.RCP"},
        DownloadCase{"EmptyBody", "Y.RCP", L(A("Y.RCP"), B()), false, "Y.RCP"},
        DownloadCase{"TextBody", "Y.RCP", L(A("Y.RCP"), A("\x01\x02")), false, "Y.RCP"},
        DownloadCase{"LeavingTheDirectory", "..\\Y.RCP", L(A("..\\Y.RCP"), B({1, 2})), false,
                     "../Y.RCP"}),
    kLabel);

TEST_F(Programs, ADownloadThatCannotBeWrittenIsReportedAndNotReceived) {
    ASSERT_TRUE(Run(Download("NOSUB\\Y.RCP")));
    h.driver->InjectReply(h.driver->LastSent(), Reply(7, 6, L(A("NOSUB\\Y.RCP"), B({1}))));
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{75});
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_FALSE(h.methods[0].Output("FileReceived").ToBool());
}

TEST_F(Programs, DeleteReportsTheAcknowledgeAndTheIdentifiersAsJoined) {
    ASSERT_TRUE(Run(kDelete));
    h.driver->InjectReply(h.driver->LastSent(), Reply(7, 18, B({4})));
    ASSERT_TRUE(Run(kDeleteAll));
    h.driver->InjectReply(h.driver->LastSent(), Reply(7, 18, B({0})));
    EXPECT_EQ(Outcomes(),
              (Strings{"RecipeDelete PPID=A,B | ACKC7=4", "AllRecipeDelete | ACKC7=0"}));
}

struct FailureCase {
    const char* label;
    Call call;
    const char* object;
    const char* primary;
    std::string on_link_loss;
    std::string on_3014;
};

class Failure : public Programs, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Failure, ReportsItsValuesOrOnlyTheErrorOfAFailedSend) {
    const FailureCase& c = GetParam();
    ASSERT_TRUE(Run(c.call));
    h.driver->RaiseError(3014, "T3 timeout");
    h.Communicating();
    ASSERT_TRUE(Run(c.call));
    h.driver->RaiseDisconnect();
    EXPECT_EQ(Outcomes(), (Strings{Expand(c.on_3014), Expand(c.on_link_loss)}));
    h.ClearRecords();
    h.Communicating();
    h.driver->accept_sends = false;
    ASSERT_TRUE(Run(c.call));
    EXPECT_EQ(Errors(), (std::vector<ErrorRow>{{std::string(c.object) + ":Set IEDAction_Source",
                                                6002, SendFailed(c.primary)}}));
    EXPECT_TRUE(h.methods.empty());
    h.Tick(149);
    EXPECT_TRUE(TimedOut().empty());
    h.Tick(1);
    EXPECT_EQ(TimedOut().size(), 1u);
}

const std::string kUploadIn = "RecipeUploadToHost PPID=SUB\\A.RCP LENGTH=4 PPIDSENTPATH={dir} |";
const std::string kDownloadIn = "RecipeDownloadFromHost PPID=X.RCP PPIDRECEIVEPATH={dir} |";

INSTANTIATE_TEST_SUITE_P(Transactions, Failure,
                         ::testing::Values(FailureCase{"Upload", kUpload, "EDRecipeUpload", "S7F1",
                                                       kUploadIn + " PPGNT=3002 ACKC7=3002",
                                                       kUploadIn + " PPGNT=3014 ACKC7=3014"},
                                           FailureCase{"Download", kDownload, "EDRecipeDownload",
                                                       "S7F5", kDownloadIn + " FileReceived=False",
                                                       kDownloadIn + " FileReceived=False"},
                                           FailureCase{"Delete", kDelete, "EDRecipeDelete", "S7F17",
                                                       "RecipeDelete PPID=A,B | ACKC7=3002",
                                                       "RecipeDelete PPID=A,B | ACKC7=3014"},
                                           FailureCase{"DeleteAll", kDeleteAll, "EDRecipeDelete",
                                                       "S7F17", "AllRecipeDelete | ACKC7=3002",
                                                       "AllRecipeDelete | ACKC7=3014"}),
                         kLabel);

TEST(FormattedProgram, IsSentAsS7F23WithTheModelAndRevision) {
    ControlHarness h({.start_tool = true});
    h.Communicating();
    h.ClearRecords();
    h.SetGemVar("EquipmentModel", "ETCH");
    h.SetGemVar("SoftwareRevision", "R2");
    EXPECT_TRUE(h.server->Send_S7F23("P1", "/unused").ToBool());
    ASSERT_EQ(h.driver->SentNames(), Strings{"S7F23"});
    auto sent = h.driver->LastSent();
    EXPECT_TRUE(sent->ReplyExpected());
    EXPECT_EQ(sent->Secondary().Name(), "S7F24");
    EXPECT_EQ(EncodeItem(sent->Primary().Item(1)),
              (std::vector<std::uint8_t>{0x01, 0x04, 0x41, 0x02, 'P',  '1', 0x41, 0x04, 'E',
                                         'T',  'C',  'H',  0x41, 0x02, 'R', '2',  0x01, 0x01,
                                         0x01, 0x02, 0x41, 0x05, 'C',  'C', 'O',  'D',  'E',
                                         0x01, 0x01, 0x41, 0x05, 'P',  'P', 'A',  'R',  'M'}));
    h.SetGemVar("CommState", 1);
    EXPECT_FALSE(h.server->Send_S7F23("P1", "").ToBool());
    EXPECT_EQ(h.ErrorCodes(), std::vector<int>{4020});
}

}  // namespace
}  // namespace kest::test
