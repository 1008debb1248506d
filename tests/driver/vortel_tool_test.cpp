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

// Event handlers may close the port or drop the driver from inside any event.
TEST_F(BackToBack, HandlersMayCloseOrDestroyTheDriverInsideAnEvent) {
    Open();
    // Closed inside Disconnect, the host makes no further attempt, even to a listener that is
    // back on the same port after T5.
    host_.events->on_event = [&](const DriverEvent& e) {
        if (e.kind == "Disconnect") host_.driver->ClosePort();
    };
    std::uint16_t port = equipment_.driver->ListeningPort();
    equipment_.driver->ClosePort();
    ASSERT_TRUE(RunUntil(io_, [&] {
        return host_.events->Count("Disconnect") == 1 &&
               equipment_.events->Count("Disconnect") == 1;
    }));
    EXPECT_EQ(equipment_.events->Last("Disconnect")->code, kPortClosed);
    EXPECT_EQ(host_.events->Last("Disconnect")->code, kConnectionClosed);
    EXPECT_FALSE(host_.driver->IsPortOpen());
    equipment_.driver->SetLocalIPPort(port);
    equipment_.driver->OpenPort();
    RunFor(io_, 300ms);
    EXPECT_EQ(equipment_.events->Count("Connect"), 1u);
    EXPECT_EQ(host_.events->Kinds(), (std::vector<std::string>{"Connect", "Disconnect 3002"}));

    // Destroyed inside ReceivedPrimary, the equipment leaves the host a closed connection.
    host_.events->on_event = nullptr;
    host_.driver->SetRemoteIPPort(port);
    host_.driver->OpenPort();
    ASSERT_TRUE(RunUntil(io_, [&] { return host_.events->Count("Connect") == 2; }));
    equipment_.events->on_event = [&](const DriverEvent& e) {
        if (e.kind == "ReceivedPrimary") equipment_.driver.reset();
    };
    ASSERT_TRUE(host_.driver->CreateTransaction("S1F1")->Send());
    ASSERT_TRUE(RunUntil(io_, [&] { return host_.events->Count("Disconnect") == 2; }));
    EXPECT_FALSE(equipment_.driver);
    EXPECT_EQ(host_.events->Last("Disconnect")->code, kConnectionClosed);
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

    asio::io_context io_;
    DriverUnderTest under_{io_, enmConnectionMode::ConnectionModePassive};
};

// Each refusal is posted, not raised inside OpenPort, and nothing listens.
TEST_F(Driver, OpenPortRefusesWhatItCannotOpen) {
    asio::ip::tcp::acceptor taken(io_, {asio::ip::make_address("127.0.0.1"), 0});
    struct Case {
        std::function<void(VortelTool&)> set;
        std::string text;  // how it starts
    };
    for (const auto& c : std::vector<Case>{
             {[](VortelTool& t) { t.SetPortType(enmPortType::PortTypeRS232); },
              "The port type is RS232 but the network-port flag is on"},
             {[](VortelTool& t) {
                  t.SetPortType(enmPortType::PortTypeRS232);
                  t.SetNetworkPort(false);
                  t.SetSerialPort("/nonexistent/tty");
              },
              "Cannot open the serial port /nonexistent/tty: No such file or directory"},
             {[](VortelTool& t) { t.SetNetworkPort(false); },
              "The port type is HSMS but the network-port flag is off"},
             {[](VortelTool& t) {
                  t.SetConnectionMode(enmConnectionMode::ConnectionModeAlternating);
              },
              "Connection mode Alternating is not part of HSMS-SS; use Active or Passive"},
             {[](VortelTool& t) {
                  t.SetConnectionMode(enmConnectionMode::ConnectionModeActive);
                  t.SetRemoteIPAddress("");
              },
              "No remote IP address to connect to"},
             {[](VortelTool& t) { t.SetLocalIPAddress("not-an-address"); },
              "Cannot listen on not-an-address:0: \"not-an-address\" is not an IP address"},
             {[&](VortelTool& t) { t.SetLocalIPPort(taken.local_endpoint().port()); },
              "Cannot listen on 127.0.0.1:" + std::to_string(taken.local_endpoint().port()) +
                  ": Address already in use"}}) {
        DriverUnderTest under(io_, enmConnectionMode::ConnectionModePassive);
        c.set(*under.driver);
        under.driver->OpenPort();
        EXPECT_TRUE(under.events->events.empty());
        ASSERT_TRUE(RunUntil(io_, [&] { return under.events->Count("Error") == 1; })) << c.text;
        EXPECT_EQ(under.events->Last("Error")->code, kPortOpenFailed);
        EXPECT_EQ(under.events->Last("Error")->text.rfind(c.text, 0), 0u)
            << under.events->Last("Error")->text;
        EXPECT_EQ(under.driver->ListeningPort(), 0);
    }
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

}  // namespace
}  // namespace kest::test
