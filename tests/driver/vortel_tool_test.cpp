// The driver as a whole: two drivers back to back, opening refusals, the dictionary, and the
// lifetime of transactions and drivers.
#include <gtest/gtest.h>

#include "driver_fixture.h"
#include "secs/build.h"

namespace kest::test {
namespace {

using namespace kest::build;
using namespace kest::driver_error;

// An equipment (passive) and a host (active) driver on one loop.
class BackToBack : public ::testing::Test {
  protected:
    void Open() {
        equipment_.driver->OpenPort();
        host_.driver->SetRemoteIPPort(equipment_.driver->ListeningPort());
        host_.driver->SetHostRole(true);
        host_.driver->OpenPort();
        ASSERT_TRUE(RunUntil(io_, [&] {
            return equipment_.events->Count("Connect") == 1 && host_.events->Count("Connect") == 1;
        }));
    }

    asio::io_context io_;
    DriverUnderTest equipment_{io_, enmConnectionMode::ConnectionModePassive};
    DriverUnderTest host_{io_, enmConnectionMode::ConnectionModeActive};
};

TEST_F(BackToBack, APrimaryAndItsReplyCrossBetweenTwoDrivers) {
    Open();
    auto request = host_.driver->CreateTransaction("S1F1");
    ASSERT_TRUE(request->Send());
    ASSERT_TRUE(RunUntil(io_, [&] { return equipment_.events->Count("ReceivedPrimary") == 1; }));
    auto received = equipment_.events->Last("ReceivedPrimary")->transaction;
    EXPECT_EQ(received->Primary(), SecsMessage(1, 1, true));
    received->Secondary().Item(1).Item(1).SetValue("KEST");
    received->Secondary().Item(1).Item(2).SetValue("0.1");
    ASSERT_TRUE(received->Reply());
    ASSERT_TRUE(RunUntil(io_, [&] { return host_.events->Count("ReceivedSecondary") == 1; }));
    EXPECT_EQ(host_.events->Last("ReceivedSecondary")->transaction, request);
    EXPECT_EQ(request->Secondary(), SecsMessage(1, 2, false, L(A("KEST"), A("0.1"))));
}

TEST_F(BackToBack, ClosingOneSideDisconnectsBothAndReopeningReconnects) {
    Open();
    host_.driver->ClosePort();
    ASSERT_TRUE(RunUntil(io_, [&] {
        return equipment_.events->Count("Disconnect") == 1 &&
               host_.events->Count("Disconnect") == 1;
    }));
    EXPECT_EQ(equipment_.events->Last("Disconnect")->code, kConnectionClosed);
    EXPECT_EQ(host_.events->Last("Disconnect")->code, kPortClosed);
    host_.driver->OpenPort();
    ASSERT_TRUE(RunUntil(io_, [&] { return equipment_.events->Count("Connect") == 2; }));
}

// Event handlers may close the port or drop the driver from inside any event.
TEST_F(BackToBack, HandlersMayCloseOrDestroyTheDriverInsideAnEvent) {
    Open();
    equipment_.events->on_event = [&](const DriverEvent& e) {
        if (e.kind == "ReceivedPrimary") equipment_.driver.reset();
    };
    ASSERT_TRUE(host_.driver->CreateTransaction("S1F1")->Send());
    ASSERT_TRUE(RunUntil(io_, [&] { return host_.events->Count("Disconnect") == 1; }));
    EXPECT_FALSE(equipment_.driver);

    host_.events->on_event = [&](const DriverEvent& e) {
        if (e.kind == "Disconnect") host_.driver->ClosePort();
    };
    host_.driver->OpenPort();  // nothing listens any more: errors, then the retries stop
    RunFor(io_, 50ms);
}

int OpenDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

TEST_F(BackToBack, AThousandConnectAndDisconnectCyclesLeaveNothingBehind) {
    Open();
    host_.driver->ClosePort();
    ASSERT_TRUE(RunUntil(io_, [&] { return equipment_.events->Count("Disconnect") == 1; }));
    RunFor(io_, 10ms);
    int before = OpenDescriptors();
    for (std::size_t i = 2; i <= 1001; ++i) {
        host_.driver->OpenPort();
        ASSERT_TRUE(RunUntil(io_,
                             [&] {
                                 return equipment_.events->Count("Connect") == i &&
                                        host_.events->Count("Connect") == i;
                             }))
            << "cycle " << i;
        ASSERT_TRUE(host_.driver->CreateTransaction("S1F1")->Send());
        host_.driver->ClosePort();
        ASSERT_TRUE(RunUntil(io_, [&] { return equipment_.events->Count("Disconnect") == i; }))
            << "cycle " << i;
    }
    RunFor(io_, 20ms);
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(host_.events->Count("Error"), 0u);
}

class Driver : public ::testing::Test {
  protected:
    VortelTool& Tool() { return *under_.driver; }
    EventRecorder& Events() { return *under_.events; }

    // Opens the port and returns the error it was refused with.
    const DriverEvent* OpenRefused() {
        Tool().OpenPort();
        EXPECT_TRUE(Events().events.empty());  // posted, not raised inside the call
        if (!RunUntil(io_, [&] { return Events().Count("Error") > 0; })) return nullptr;
        return Events().Last("Error");
    }

    asio::io_context io_;
    DriverUnderTest under_{io_, enmConnectionMode::ConnectionModePassive};
};

TEST_F(Driver, OpenPortRefusesWhatHsmsSsCannotDo) {
    Tool().SetPortType(enmPortType::PortTypeRS232);
    Tool().SetNetworkPort(false);
    auto* e = OpenRefused();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->code, kPortOpenFailed);
    EXPECT_EQ(e->text,
              "Port type RS232 (SECS-I) is not supported by this driver; use an HSMS port type");
    EXPECT_FALSE(Tool().IsPortOpen());

    Events().events.clear();
    Tool().SetPortType(enmPortType::PortTypeHSMS);
    auto* flag = OpenRefused();
    ASSERT_TRUE(flag);
    EXPECT_EQ(flag->code, kPortOpenFailed);

    Events().events.clear();
    Tool().SetNetworkPort(true);
    Tool().SetConnectionMode(enmConnectionMode::ConnectionModeAlternating);
    auto* mode = OpenRefused();
    ASSERT_TRUE(mode);
    EXPECT_EQ(mode->text,
              "Connection mode Alternating is not part of HSMS-SS; use Active or Passive");

    Events().events.clear();
    Tool().SetConnectionMode(enmConnectionMode::ConnectionModePassive);
    Tool().SetLocalIPAddress("not-an-address");
    auto* address = OpenRefused();
    ASSERT_TRUE(address);
    EXPECT_EQ(address->code, kPortOpenFailed);
    EXPECT_EQ(address->text,
              "Cannot listen on not-an-address:0: \"not-an-address\" is not an IP address");
}

TEST_F(Driver, AnOccupiedPortIsReported) {
    asio::ip::tcp::acceptor taken(io_, {asio::ip::make_address("127.0.0.1"), 0});
    Tool().SetLocalIPPort(taken.local_endpoint().port());
    auto* e = OpenRefused();
    ASSERT_TRUE(e);
    EXPECT_EQ(e->code, kPortOpenFailed);
    EXPECT_NE(e->text.find("Address already in use"), std::string::npos) << e->text;
}

TEST_F(Driver, TransactionsComeFromTheDictionary) {
    auto t = Tool().CreateTransaction("S6F11");
    EXPECT_EQ(t->Primary(), SecsMessage(6, 11, true, L(U4(), U4(), L())));
    EXPECT_EQ(t->DeviceID(), 1);
    EXPECT_FALSE(t->IsReceived());
    EXPECT_THROW(Tool().CreateTransaction("S99F1"), DictionaryError);
    auto empty = Tool().CreateTransaction();
    EXPECT_EQ(empty->Primary(), SecsMessage());
    EXPECT_FALSE(empty->ReplyExpected());
}

TEST_F(Driver, LoadDictionaryReadsTheFileAndKeepsTheOldOneOnFailure) {
    TempDir dir;
    auto file = dir.Path() / "Custom.xml";
    std::ofstream(file) << R"(<dictionary>
  <message name="S2F17" stream="2" function="17" wbit="true" title="Date and Time Request"/>
</dictionary>)";
    Tool().SetDictionaryFile(file.string());
    Tool().LoadDictionary();
    EXPECT_EQ(Tool().CreateTransaction("S2F17")->Primary(), SecsMessage(2, 17, true));
    EXPECT_THROW(Tool().CreateTransaction("S6F11"), DictionaryError);

    Tool().SetDictionaryFile((dir.Path() / "Missing.xml").string());
    EXPECT_THROW(Tool().LoadDictionary(), DictionaryError);
    EXPECT_NO_THROW(Tool().CreateTransaction("S2F17"));

    Tool().SetDictionaryFile("");
    Tool().LoadDictionary();  // the built-in dictionary
    EXPECT_EQ(&Tool().Dictionary(), &MessageDictionary::Default());
}

TEST_F(Driver, ALogThatCannotBeWrittenIsReportedOnceAndTheProtocolGoesOn) {
    TempDir dir;
    std::ofstream(dir.Path() / "blocker") << "a file where the log directory should be";
    Tool().SetSECSIILogFile((dir.Path() / "blocker" / "SECSII.log").string());
    Tool().OpenPort();
    RawPeer peer(io_);
    peer.Connect(Tool().ListeningPort());
    peer.WriteHex(ControlHex(1, 1));
    EXPECT_EQ(peer.ReadFrame(), ControlHex(2, 1));
    peer.WriteHex(ControlHex(5, 2));
    EXPECT_EQ(peer.ReadFrame(), ControlHex(6, 2));
    ASSERT_TRUE(RunUntil(io_, [&] { return Events().Count("Error") == 1; }));
    RunFor(io_, 20ms);
    EXPECT_EQ(Events().Kinds(), (std::vector<std::string>{"Error 2020", "Connect"}));
    EXPECT_NE(Events().Last("Error")->text.find("Cannot open the SECS-II log"), std::string::npos);
}

TEST(Lifetime, ATransactionOutlivingItsDriverFailsCleanly) {
    asio::io_context io;
    std::shared_ptr<SecsTransaction> t;
    {
        DriverUnderTest under(io, enmConnectionMode::ConnectionModePassive);
        t = under.driver->CreateTransaction("S1F1");
    }
    EXPECT_FALSE(t->Send());
    t->Primary().SetReplyExpected(true);
    EXPECT_FALSE(t->Reply());
    t->SetReplyExpected(false);
    EXPECT_TRUE(t->Reply());  // nothing is owed without the W-bit
    RunFor(io, 10ms);
}

TEST(Lifetime, ReplyOnATransactionNotReceivedIsRefused) {
    asio::io_context io;
    DriverUnderTest under(io, enmConnectionMode::ConnectionModePassive);
    auto t = under.driver->CreateTransaction("S1F1");
    EXPECT_FALSE(t->Reply());
    ASSERT_TRUE(RunUntil(io, [&] { return under.events->Count("Error") == 1; }));
    EXPECT_EQ(under.events->Last("Error")->text,
              "Reply failed, the primary was not received from the remote entity: S1F1");
}

}  // namespace
}  // namespace kest::test
