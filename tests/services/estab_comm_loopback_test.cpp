// Establish communication over real HSMS on 127.0.0.1: a control with its own driver connects
// to a host built from a second driver, which answers S1F13 with S1F14 COMMACK 0.
#include <gtest/gtest.h>

#include <asio/io_context.hpp>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>

#include "control/kest_server.h"
#include "driver/vortel_tool.h"
#include "gemdb/database_setup.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "secs/default_dictionary.h"
#include "services/gem_estab_comm.h"
#include "settings/secs_protocol.h"

namespace kest::test {
namespace {

using namespace kest::build;
using namespace std::chrono_literals;

/// The host side: remembers the S1F13 it received and grants communication.
class GrantingHost final : public SecsDriverEvents {
  public:
    void Connect() override { ++connects; }
    void Disconnect(int, const std::string&) override {}
    void ReceivedPrimary(std::shared_ptr<SecsTransaction> trans, int error_code,
                         const std::string&) override {
        if (error_code != 0 || trans->Primary().Name() != "S1F13") return;
        request = trans->Primary();
        SecsItem& root = trans->Secondary().RootItem();
        root.Clear();
        root.AddItem(L(B({0}), L(A("HOST"), A("1.0"))));
        replied = trans->Reply();
    }
    void ReceivedSecondary(std::shared_ptr<SecsTransaction>, int, const std::string&) override {}
    void Error(const DriverError& e) override {
        errors.push_back(std::to_string(e.code) + " " + e.text);
    }

    int connects = 0;
    std::optional<SecsMessage> request;
    bool replied = false;
    std::vector<std::string> errors;
};

/// An application directory with a fresh GEM.mdb and the shipped dictionary.
class AppDirectory {
  public:
    AppDirectory()
        : path_(std::filesystem::temp_directory_path() /
                ("kest_loopback_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        CreateGemDatabase(path_ / "GEM.mdb", false);
        std::ofstream(path_ / "Default.xml") << DefaultDictionaryXml();
    }
    ~AppDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

TEST(EstabCommLoopback, TheHostsS1F14EstablishesCommunication) {
    AppDirectory dir;
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
    const std::uint16_t host_port = host->ListeningPort();
    ASSERT_NE(host_port, 0);

    std::vector<KestError> errors;
    std::optional<KestMethod> outcome;
    std::shared_ptr<KestServer> server;
    KestServerOptions options;
    options.run_timers = false;
    options.listener = KestListener{
        .ErrorNotification = [&](const KestError& e) { errors.push_back(e); },
        .MethodNotification = [&](const KestMethod& m) { outcome = m; },
        // As an application would: establish communication as soon as the link is up.
        .EventNotification =
            [&](const KestEvent& e) {
                if (e.ServiceName == "SECSProtocol" && e.EventName == "Connect") {
                    EXPECT_TRUE(server->GEMEstabComm()->Connect(" LOOP-EQ ", "9.1"));
                }
            },
    };
    server = KestServer::Create(io.get_executor(), dir.Path(), options);
    ASSERT_TRUE(errors.empty()) << errors[0].ErrSource << " " << errors[0].ErrText;

    SECSProtocol& protocol = *server->SECSProtocol();
    protocol.SetConnectionPortType(enmPortType::PortTypeHSMS);
    protocol.SetHSMSConnectionType(enmConnectionMode::ConnectionModeActive);
    protocol.SetLocalIPAddress("127.0.0.1");
    protocol.SetRemoteIPAddress("127.0.0.1");
    protocol.SetRemoteIPPort(host_port);
    protocol.SetDeviceID(7);
    protocol.OpenPort();

    // Bounded: a broken exchange fails the test instead of hanging it.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!outcome && std::chrono::steady_clock::now() < deadline)
        io.run_one_for(20ms);

    ASSERT_TRUE(outcome.has_value()) << "no MethodNotification within the deadline";
    EXPECT_EQ(outcome->ServiceName, "GEMEstabComm");
    EXPECT_EQ(outcome->MethodName, "Connect");
    EXPECT_EQ(outcome->Output("CommEstablished"), Variant(true));
    ASSERT_TRUE(host_events->request.has_value());
    EXPECT_TRUE(host_events->request->ReplyExpected());
    EXPECT_EQ(host_events->request->RootItem(), L(L(A("LOOP-EQ"), A("9.1"))));
    EXPECT_TRUE(host_events->replied);
    EXPECT_EQ(server->GEMDB()->SettingGetField("PortOpened", FLDID_SETTING::SET_VALUE).ToText(),
              "TRUE");
    EXPECT_EQ(
        server->GEMDB()->VariableGetField("EquipmentModel", FLDID_VARIABLE::VAR_VAL, true).ToText(),
        "LOOP-EQ");
    EXPECT_TRUE(host_events->errors.empty()) << host_events->errors[0];
    for (const auto& e : errors)
        ADD_FAILURE() << e.ErrSource << " [" << e.ErrCode << "] " << e.ErrText;

    server.reset();
    host->ClosePort();
}

}  // namespace
}  // namespace kest::test
