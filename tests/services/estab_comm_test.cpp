#include <gtest/gtest.h>

#include "service_fixture.h"
#include "services/ed_estab_comm.h"
#include "services/gem_estab_comm.h"
#include "ui/frm_main.h"

namespace kest::test {
namespace {

using namespace kest::build;

class EstabComm : public ::testing::Test {
  protected:
    void SetUp() override {
        h.core->SetSetting("PortOpened", "TRUE");
        h.ClearRecords();
    }

    std::shared_ptr<SecsTransaction> SentS1F13() {
        auto sent = SentNamed(*h.driver, "S1F13");
        EXPECT_EQ(sent.size(), 1u);
        return sent.empty() ? nullptr : sent.back();
    }

    ControlHarness h;
};

TEST_F(EstabComm, AttachingLoadsTheModelAndRevisionVariables) {
    EXPECT_EQ(h.server->GEMEstabComm()->MDLN(), "KEST");
    EXPECT_EQ(h.server->GEMEstabComm()->SOFTREV(), "0.1.0");
    h.SetGemVar("EquipmentModel", "ETCH-9");
    h.SetGemVar("SoftwareRevision", "R7");
    auto service = h.server->GEMEstabComm();
    EXPECT_EQ(service->MDLN(), "ETCH-9");
    EXPECT_EQ(service->SOFTREV(), "R7");
    EXPECT_TRUE(h.errors.empty());
}

TEST_F(EstabComm, AnUnattachedServiceHoldsNullAndDoesNothing) {
    GEMEstabComm service;
    EXPECT_EQ(service.MDLN(), "NULL");
    EXPECT_EQ(service.SOFTREV(), "NULL");
    EXPECT_FALSE(service.Connect("M", "R"));
    EXPECT_TRUE(h.driver->sent.empty());
    EXPECT_TRUE(h.errors.empty());
}

TEST_F(EstabComm, ThePortMustBeOpenAndNothingChangesOtherwise) {
    h.core->SetSetting("PortOpened", "FALSE");
    auto service = h.server->GEMEstabComm();
    EXPECT_FALSE(service->Connect("OTHER", "9.9"));
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "GEMEstabComm:Connect");
    EXPECT_EQ(h.errors[0].ErrCode, 4019);
    EXPECT_EQ(h.errors[0].ErrText, "Invalid port connect state to perform this task.");
    EXPECT_TRUE(h.driver->sent.empty());
    EXPECT_EQ(LiveTransactions(h), 0u);
    // The arguments are taken only once the port check passed.
    EXPECT_EQ(service->MDLN(), "KEST");
    EXPECT_EQ(h.GemVar("EquipmentModel"), "KEST");
    EXPECT_EQ(h.GemVar("SoftwareRevision"), "0.1.0");
}

TEST_F(EstabComm, WithoutArgumentsTheLoadedPropertiesGoOutAndNoVariableChanges) {
    // Sent directly: neither the communication nor the control state holds it back.
    h.SetGemVar("CommState", 1);
    h.SetGemVar("ControlState", 1);
    h.ClearRecords();
    const std::size_t spooled = h.core->SpoolList().size();
    EXPECT_TRUE(h.server->GEMEstabComm()->Connect());
    auto trans = SentS1F13();
    ASSERT_NE(trans, nullptr);
    EXPECT_TRUE(trans->ReplyExpected());
    EXPECT_EQ(trans->Primary().RootItem(), L(L(A("KEST"), A("0.1.0"))));
    EXPECT_TRUE(h.core->Actions().Contains(TagOf(*trans)));
    EXPECT_EQ(h.GemVar("EquipmentModel"), "KEST");
    EXPECT_EQ(h.GemVar("SoftwareRevision"), "0.1.0");
    EXPECT_TRUE(h.errors.empty());
    EXPECT_EQ(h.core->SpoolList().size(), spooled);
}

TEST_F(EstabComm, ArgumentsAreTrimmedStoredShownAndSent) {
    ControlHarness windowed({.start_tool = true});
    windowed.core->SetSetting("PortOpened", "TRUE");
    auto service = windowed.server->GEMEstabComm();
    EXPECT_TRUE(service->Connect("  ETCH-9 ", " 2.0.1  "));
    EXPECT_EQ(service->MDLN(), "ETCH-9");
    EXPECT_EQ(service->SOFTREV(), "2.0.1");
    EXPECT_EQ(windowed.GemVar("EquipmentModel"), "ETCH-9");
    EXPECT_EQ(windowed.GemVar("SoftwareRevision"), "2.0.1");
    const frmMainFields& fields = windowed.core->FrmGEMTool()->Fields();
    EXPECT_EQ(fields.EquipmentModel, "ETCH-9");
    EXPECT_EQ(fields.SoftwareRevision, "2.0.1");
    auto sent = SentNamed(*windowed.driver, "S1F13");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]->Primary().RootItem(), L(L(A("ETCH-9"), A("2.0.1"))));
}

TEST_F(EstabComm, OneArgumentLeavesTheOtherPropertyAsLoaded) {
    auto service = h.server->GEMEstabComm();
    EXPECT_TRUE(service->Connect("NULL", "3.1"));
    EXPECT_EQ(h.GemVar("EquipmentModel"), "KEST");
    EXPECT_EQ(h.GemVar("SoftwareRevision"), "3.1");
    auto trans = SentS1F13();
    ASSERT_NE(trans, nullptr);
    EXPECT_EQ(trans->Primary().RootItem(), L(L(A("KEST"), A("3.1"))));
}

TEST_F(EstabComm, ValuesGoOutNeitherCutNorPadded) {
    // Longer than the 20 characters SEMI allows for MDLN, and an empty revision.
    const std::string model = "A-MODEL-NAME-OF-THIRTY-TWO-CHAR";
    auto service = h.server->GEMEstabComm();
    service->SetMDLN(model);
    service->SetSOFTREV("");
    EXPECT_TRUE(service->Connect());
    auto trans = SentS1F13();
    ASSERT_NE(trans, nullptr);
    EXPECT_EQ(trans->Primary().RootItem(), L(L(A(model), A(""))));
}

TEST_F(EstabComm, TheMethodNamesTheRequestAndItsTransaction) {
    auto service = h.server->GEMEstabComm();
    ASSERT_TRUE(service->Connect("M1", "R1"));
    auto trans = SentS1F13();
    ASSERT_NE(trans, nullptr);
    // Later property changes do not rewrite what was asked.
    service->SetMDLN("changed");
    h.driver->InjectReply(trans, Reply(1, 14, L(B({0}), L(A("HOST"), A("H1")))));
    ASSERT_EQ(h.methods.size(), 1u);
    const KestMethod& m = h.methods[0];
    EXPECT_EQ(m.ServiceName, "GEMEstabComm");
    EXPECT_EQ(m.MethodName, "Connect");
    EXPECT_EQ(m.TID, TagOf(*trans));
    ASSERT_EQ(m.Inputs().size(), 2u);
    EXPECT_EQ(m.Inputs()[0].ItemName, "MDLN");
    EXPECT_EQ(m.Inputs()[0].ItemValue.ToText(), "M1");
    EXPECT_EQ(m.Inputs()[1].ItemName, "SOFTREV");
    EXPECT_EQ(m.Inputs()[1].ItemValue.ToText(), "R1");
    ASSERT_EQ(m.Outputs().size(), 1u);
    EXPECT_EQ(m.Outputs()[0].ItemName, "CommEstablished");
    EXPECT_EQ(m.Outputs()[0].ItemValue, Variant(true));
    EXPECT_EQ(LiveTransactions(h), 0u);
    EXPECT_NE(ServiceLog(h).find("<METHOD> [GEMEstabComm] Connect {INPUT:MDLN=M1} "
                                 "{INPUT:SOFTREV=R1} {OUTPUT:CommEstablished=True}"),
              std::string::npos);
}

TEST_F(EstabComm, ASendFailureIsAnErrorOnlyAndTheTransactionTimesOut) {
    h.driver->accept_sends = false;
    EXPECT_TRUE(h.server->GEMEstabComm()->Connect());
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_EQ(h.errors[0].ErrSource, "EDEstablishComm:Set IEDAction_Source");
    EXPECT_EQ(h.errors[0].ErrCode, 6002);
    EXPECT_EQ(h.errors[0].ErrText, "SECS [S1F13] message send failed.");
    EXPECT_TRUE(h.methods.empty());
    EXPECT_EQ(LiveTransactions(h), 1u);
    h.Tick(150);
    EXPECT_TRUE(h.methods.empty());
    ASSERT_EQ(h.events.size(), 1u);
    EXPECT_EQ(h.events[0].ServiceName, "GEMEstabComm");
    EXPECT_EQ(h.events[0].EventName, "GEMTimeout");
    EXPECT_EQ(h.events[0].Output("MethodName").ToText(), "Connect");
}

struct CommAckCase {
    const char* label;
    SecsMessage reply;
    bool established;
};

class EstabCommReply : public EstabComm, public ::testing::WithParamInterface<CommAckCase> {};

TEST_P(EstabCommReply, OnlyAFirstItemOfZeroEstablishes) {
    ASSERT_TRUE(h.server->GEMEstabComm()->Connect());
    auto trans = SentS1F13();
    ASSERT_NE(trans, nullptr);
    h.driver->InjectReply(trans, GetParam().reply);
    ASSERT_EQ(h.methods.size(), 1u);
    EXPECT_EQ(h.methods[0].Output("CommEstablished"), Variant(GetParam().established));
    EXPECT_TRUE(h.errors.empty());
    EXPECT_EQ(LiveTransactions(h), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    S1F14, EstabCommReply,
    ::testing::Values(
        CommAckCase{"Accepted", Reply(1, 14, L(B({0}), L(A("HOST"), A("1.0")))), true},
        CommAckCase{"AcceptedHostDataNotRead", Reply(1, 14, L(B({0}))), true},
        CommAckCase{"AcceptedAsU1", Reply(1, 14, L(U1(0), L())), true},
        CommAckCase{"DeniedTryAgain", Reply(1, 14, L(B({1}), L(A("HOST"), A("1.0")))), false},
        CommAckCase{"EmptyList", Reply(1, 14, L()), false},
        CommAckCase{"HeaderOnly", Reply(1, 14), false},
        CommAckCase{"ZeroLengthCommack", Reply(1, 14, L(B(), L())), false},
        CommAckCase{"ListFirst", Reply(1, 14, L(L(), B({0}))), false},
        CommAckCase{"NotAList", Reply(1, 14, B({0})), false}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kest::test
