// The GEM core over real HSMS on 127.0.0.1: a control with its own driver and its operator
// window listens; a host built from a second driver establishes communication, goes on-line,
// reads every status variable and name; then the link drops and refused reports are spooled.
#include <gtest/gtest.h>

#include <asio/io_context.hpp>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "control/control_core.h"
#include "control/kest_server.h"
#include "driver/secs_transaction.h"
#include "driver/vortel_tool.h"
#include "gemdb/database_setup.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "secs/default_dictionary.h"
#include "settings/secs_protocol.h"

namespace kest::test {
namespace {

using namespace kest::build;
using namespace std::chrono_literals;

// A host that acknowledges whatever the equipment sends and records it.
class AnsweringHost final : public SecsDriverEvents {
  public:
    void Connect() override { selected = true; }
    void Disconnect(int, const std::string&) override { selected = false; }
    void ReceivedPrimary(std::shared_ptr<SecsTransaction> trans, int error_code,
                         const std::string&) override {
        if (error_code != 0) return;
        received.push_back(trans->Primary());
        if (!trans->ReplyExpected()) return;
        SecsItem& root = trans->Secondary().RootItem();
        if (trans->Primary().Name() == "S1F13") {
            root.Clear();
            root.AddItem(L(B({0}), L()));
        }
        trans->Reply();  // the dictionary's shells acknowledge with 0
    }
    void ReceivedSecondary(std::shared_ptr<SecsTransaction> trans, int,
                           const std::string&) override {
        replies.push_back(trans->Secondary());
    }
    void Error(const DriverError&) override {}

    bool selected = false;
    std::vector<SecsMessage> received;
    std::vector<SecsMessage> replies;
};

class GemLoopback : public ::testing::Test {
  protected:
    GemLoopback()
        : dir_(std::filesystem::temp_directory_path() /
               ("kest_gem_loopback_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        CreateGemDatabase(dir_ / "GEM.mdb", false);
        std::ofstream(dir_ / "Default.xml") << DefaultDictionaryXml();
    }
    ~GemLoopback() override {
        core_.reset();
        server_.reset();
        if (host_) host_->ClosePort();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    bool RunUntil(const std::function<bool()>& done) {
        auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!done() && std::chrono::steady_clock::now() < deadline)
            io_.run_one_for(10ms);
        return done();
    }

    // Sends `primary` from the host and returns the equipment's reply.
    std::optional<SecsMessage> Ask(SecsMessage primary) {
        auto trans = host_->CreateTransaction();
        trans->Primary() = std::move(primary);
        std::size_t before = host_events_->replies.size();
        if (!trans->Send()) return std::nullopt;
        if (!RunUntil([&] { return host_events_->replies.size() > before; })) return std::nullopt;
        return host_events_->replies.back();
    }

    void StartEquipment() {
        KestServerOptions options;
        options.run_timers = false;
        server_ = KestServer::Create(io_.get_executor(), dir_, options);
        core_ = KestServerAccess::Core(*server_);
        SECSProtocol& protocol = *server_->SECSProtocol();
        protocol.SetConnectionPortType(enmPortType::PortTypeHSMS_SS);
        protocol.SetHSMSConnectionType(enmConnectionMode::ConnectionModePassive);
        protocol.SetLocalIPAddress("127.0.0.1");
        protocol.SetLocalIPPort(0);
        core_->SetSetting("PortOpenAtStartUp", "TRUE");
        ASSERT_TRUE(server_->StartGEMTool());  // the window opens the port
        auto* driver = dynamic_cast<VortelTool*>(&core_->VortelToolOCX());
        ASSERT_NE(driver, nullptr);
        port_ = driver->ListeningPort();
        ASSERT_NE(port_, 0);
    }

    void ConnectHost() {
        host_events_ = std::make_shared<AnsweringHost>();
        host_ = VortelTool::Create(io_.get_executor());
        host_->SetEvents(host_events_);
        host_->SetHostRole(true);
        host_->SetConnectionMode(enmConnectionMode::ConnectionModeActive);
        host_->SetRemoteIPAddress("127.0.0.1");
        host_->SetRemoteIPPort(port_);
        host_->OpenPort();
        ASSERT_TRUE(RunUntil([&] { return host_events_->selected; }));
    }

    std::size_t TopLevelVariables() {
        std::size_t n = 0;
        for (bool gem : {true, false}) {
            for (const auto& v : core_->Db().VariableGetAll(gem))
                n += v.ParentKey() == 0;
        }
        return n;
    }

    std::filesystem::path dir_;
    asio::io_context io_;
    std::shared_ptr<KestServer> server_;
    std::shared_ptr<ControlCore> core_;
    std::shared_ptr<AnsweringHost> host_events_;
    std::shared_ptr<VortelTool> host_;
    std::uint16_t port_ = 0;
};

TEST_F(GemLoopback, AHostEstablishesGoesOnlineReadsStatusAndTheLinkLossSpools) {
    StartEquipment();
    ConnectHost();
    auto s1f14 = Ask(SecsMessage(1, 13, true, L()));
    ASSERT_TRUE(s1f14.has_value());
    EXPECT_EQ(s1f14->Item(1).Item(1), B({0}));
    EXPECT_EQ(core_->GemVar("CommState"), "2");

    auto offline = Ask(SecsMessage(1, 15, true));
    ASSERT_TRUE(offline.has_value());
    EXPECT_EQ(offline->Item(1), B({0}));
    EXPECT_EQ(core_->GemVar("ControlState"), "3");
    auto online = Ask(SecsMessage(1, 17, true));
    ASSERT_TRUE(online.has_value());
    EXPECT_EQ(online->Item(1), B({0}));
    EXPECT_TRUE(RunUntil([&] { return core_->GemVar("ControlState") == "5"; }));

    auto status = Ask(SecsMessage(1, 3, true, L()));
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->Name(), "S1F4");
    EXPECT_EQ(status->Item(1).Count(), TopLevelVariables());
    auto names = Ask(SecsMessage(1, 11, true, L()));
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(names->Name(), "S1F12");
    EXPECT_GE(names->Item(1).Count(), TopLevelVariables());

    host_->ClosePort();
    ASSERT_TRUE(RunUntil([&] { return core_->Setting("PortOpened") == "FALSE"; }));
    EXPECT_EQ(core_->GemVar("SpoolState"), "1");
    ASSERT_TRUE(server_->UpdateProcessState("EXECUTING"));  // its report is refused: spooled
    std::vector<std::int32_t> spooled;
    for (const auto& t : core_->SpoolList()) {
        spooled.push_back(t->Primary().Item(1).Item(2).Value().ToInt32());
    }
    auto activated = core_->Db().EventGetRecord("GemSpoolingActivated", true);
    auto changed = core_->Db().EventGetRecord("GemProcessStateChange", true);
    ASSERT_TRUE(activated && changed);
    EXPECT_NE(std::find(spooled.begin(), spooled.end(), activated->ID()), spooled.end());
    EXPECT_EQ(spooled.back(), changed->ID());
}

}  // namespace
}  // namespace kest::test
