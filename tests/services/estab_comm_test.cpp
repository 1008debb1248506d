// GEMEstabComm: the model and revision loaded from the GEM variables, taken from the arguments
// of Connect, stored, shown and sent in S1F13, and named in the method's inputs; services that
// are not attached to a control; and the whole exchange over real HSMS on 127.0.0.1, where a
// control with its own driver connects to a host built from a second driver.
#include <gtest/gtest.h>

#include <asio/io_context.hpp>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>

#include "control/kest_server.h"
#include "driver/vortel_tool.h"
#include "gemdb/database_setup.h"
#include "secs/default_dictionary.h"
#include "service_fixture.h"
#include "services/gem_clock.h"
#include "services/gem_estab_comm.h"
#include "services/gem_heart_beat.h"
#include "settings/secs_protocol.h"
#include "ui/frm_main.h"

namespace kest::test {
namespace {

using namespace kest::build;
using namespace std::chrono_literals;

class EstabComm : public ServiceTest {
  protected:
    void SetUp() override {
        h.core->SetSetting("PortOpened", "TRUE");
        h.ClearRecords();
    }
};

TEST_F(EstabComm, AttachingLoadsTheModelAndRevisionWhichOnlyAnOpenPortLetsConnectChange) {
    GEMEstabComm unattached;  // holds "NULL", and no service sends anything unattached
    EXPECT_EQ(unattached.MDLN(), "NULL");
    EXPECT_EQ(unattached.SOFTREV(), "NULL");
    EXPECT_FALSE(unattached.Connect("M", "R"));
    EXPECT_FALSE(GEMHeartBeat().AreYouThere());
    EXPECT_FALSE(GEMClock().GetDateTime());
    EXPECT_EQ(h.server->GEMEstabComm()->MDLN(), "KEST");
    EXPECT_EQ(h.server->GEMEstabComm()->SOFTREV(), "0.1.0");
    h.SetGemVar("EquipmentModel", "ETCH-9");
    h.SetGemVar("SoftwareRevision", "R7");
    auto service = h.server->GEMEstabComm();
    EXPECT_EQ(service->MDLN(), "ETCH-9");
    EXPECT_EQ(service->SOFTREV(), "R7");
    // The arguments are taken only once the port check passed.
    h.core->SetSetting("PortOpened", "FALSE");
    EXPECT_FALSE(service->Connect("OTHER", "9.9"));
    EXPECT_EQ(service->MDLN(), "ETCH-9");
    EXPECT_EQ(h.GemVar("EquipmentModel"), "ETCH-9");
    EXPECT_EQ(h.GemVar("SoftwareRevision"), "R7");
    EXPECT_TRUE(h.driver->sent.empty());
}

constexpr const char* kLongModel = "A-MODEL-NAME-OF-THIRTY-TWO-CHAR";

struct ArgumentCase {
    const char* label;
    const char* mdln;
    const char* softrev;
    bool via_properties;    ///< set on the service, then Connect without arguments
    const char* sent_mdln;  ///< also stored and shown unless set on the service
    const char* sent_softrev;
};

class Arguments : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(Arguments, AreTrimmedStoredShownAndSent) {
    const ArgumentCase& c = GetParam();
    ControlHarness windowed({.start_tool = true});
    windowed.core->SetSetting("PortOpened", "TRUE");
    auto service = windowed.server->GEMEstabComm();
    if (c.via_properties) {
        service->SetMDLN(c.mdln);
        service->SetSOFTREV(c.softrev);
        EXPECT_TRUE(service->Connect());
    } else {
        EXPECT_TRUE(service->Connect(c.mdln, c.softrev));
    }
    EXPECT_EQ(service->MDLN(), c.sent_mdln);
    EXPECT_EQ(service->SOFTREV(), c.sent_softrev);
    const std::string model = c.via_properties ? "KEST" : c.sent_mdln;
    const std::string revision = c.via_properties ? "0.1.0" : c.sent_softrev;
    EXPECT_EQ(windowed.GemVar("EquipmentModel"), model);
    EXPECT_EQ(windowed.GemVar("SoftwareRevision"), revision);
    const frmMainFields& fields = windowed.core->FrmGEMTool()->Fields();
    EXPECT_EQ(fields.EquipmentModel, model);
    EXPECT_EQ(fields.SoftwareRevision, revision);
    EXPECT_EQ(windowed.driver->SentNames(), std::vector<std::string>{"S1F13"});
    EXPECT_EQ(windowed.driver->LastSent()->Primary().RootItem(),
              L(L(A(c.sent_mdln), A(c.sent_softrev))));
}

INSTANTIATE_TEST_SUITE_P(
    Connect, Arguments,
    ::testing::Values(ArgumentCase{"None", "NULL", "NULL", false, "KEST", "0.1.0"},
                      ArgumentCase{"Trimmed", "  ETCH-9 ", " 2.0.1  ", false, "ETCH-9", "2.0.1"},
                      ArgumentCase{"RevisionOnly", "NULL", "3.1", false, "KEST", "3.1"},
                      // Longer than the 20 characters MDLN is meant to have, and an empty revision.
                      ArgumentCase{"NeitherCutNorPadded", kLongModel, "", true, kLongModel, ""}),
    kLabel);

TEST_F(EstabComm, TheMethodNamesTheRequestAsSentAndIsLogged) {
    auto service = h.server->GEMEstabComm();
    ASSERT_TRUE(service->Connect("M1", "R1"));
    auto trans = h.driver->LastSent();
    service->SetMDLN("changed");  // later property changes do not rewrite what was asked
    h.driver->InjectReply(trans, Reply(1, 14, L(B({0}), L(A("HOST"), A("H1")))));
    EXPECT_EQ(h.methods.size(), 1u);
    EXPECT_NE(ServiceLog().find("<METHOD> [GEMEstabComm] Connect {INPUT:MDLN=M1} "
                                "{INPUT:SOFTREV=R1} {OUTPUT:CommEstablished=True}"),
              std::string::npos);
}

/// The host side: keeps the primaries it received and grants communication.
class GrantingHost final : public SecsDriverEvents {
  public:
    void Connect() override {}
    void Disconnect(int, const std::string&) override {}
    void ReceivedPrimary(std::shared_ptr<SecsTransaction> trans, int error_code,
                         const std::string&) override {
        if (error_code != 0) return;
        received.push_back(trans->Primary());
        SecsItem& root = trans->Secondary().RootItem();
        root.Clear();
        root.AddItem(L(B({0}), L(A("HOST"), A("1.0"))));
        if (!trans->Reply()) errors.push_back("reply refused");
    }
    void ReceivedSecondary(std::shared_ptr<SecsTransaction>, int, const std::string&) override {}
    void Error(const DriverError& e) override {
        errors.push_back(std::to_string(e.code) + " " + e.text);
    }

    std::vector<SecsMessage> received;
    std::vector<std::string> errors;
};

TEST(EstabCommLoopback, TheHostsS1F14EstablishesCommunication) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("kest_loopback_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    CreateGemDatabase(dir / "GEM.mdb", false);
    std::ofstream(dir / "Default.xml") << DefaultDictionaryXml();
    asio::io_context io;

    auto host_events = std::make_shared<GrantingHost>();
    auto host = VortelTool::Create(io.get_executor());
    host->SetEvents(host_events);
    host->SetHostRole(true);
    host->SetConnectionMode(enmConnectionMode::ConnectionModePassive);
    host->SetLocalIPAddress("127.0.0.1");
    host->SetLocalIPPort(0);
    host->SetDeviceID(7);
    host->OpenPort();
    ASSERT_NE(host->ListeningPort(), 0);

    std::optional<KestMethod> outcome;
    std::shared_ptr<KestServer> server;
    KestServerOptions options;
    options.run_timers = false;
    options.listener = KestListener{
        .ErrorNotification =
            [&](const KestError& e) {
                ADD_FAILURE() << e.ErrSource << " [" << e.ErrCode << "] " << e.ErrText;
            },
        .MethodNotification = [&](const KestMethod& m) { outcome = m; },
        // As an application would: establish communication as soon as the link is up.
        .EventNotification =
            [&](const KestEvent& e) {
                if (e.ServiceName == "SECSProtocol" && e.EventName == "Connect") {
                    EXPECT_TRUE(server->GEMEstabComm()->Connect("LOOP-EQ", "9.1"));
                }
            },
    };
    server = KestServer::Create(io.get_executor(), dir, options);
    SECSProtocol& protocol = *server->SECSProtocol();
    protocol.SetConnectionPortType(enmPortType::PortTypeHSMS);
    protocol.SetHSMSConnectionType(enmConnectionMode::ConnectionModeActive);
    protocol.SetLocalIPAddress("127.0.0.1");
    protocol.SetRemoteIPAddress("127.0.0.1");
    protocol.SetRemoteIPPort(host->ListeningPort());
    protocol.SetDeviceID(7);
    protocol.OpenPort();

    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!outcome && std::chrono::steady_clock::now() < deadline)
        io.run_one_for(20ms);

    ASSERT_TRUE(outcome.has_value()) << "no MethodNotification within the deadline";
    EXPECT_EQ(outcome->Output("CommEstablished"), Variant(true));
    ASSERT_EQ(host_events->received.size(), 1u);
    EXPECT_EQ(host_events->received[0].Name(), "S1F13");
    EXPECT_TRUE(host_events->received[0].ReplyExpected());
    EXPECT_EQ(host_events->received[0].RootItem(), L(L(A("LOOP-EQ"), A("9.1"))));
    EXPECT_EQ(host_events->errors, std::vector<std::string>{});

    server.reset();
    host->ClosePort();
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kest::test
