#pragma once

// What the operator-window tests share: a control on a fresh database whose tool window is
// started by the test (after it chose the initial settings), the host's side of S1F13 and
// S1F1, and reading what went out.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "driver/secs_transaction.h"
#include "secs/build.h"
#include "support/control_harness.h"
#include "ui/frm_main.h"

namespace kest::test {

class WindowTest : public ::testing::Test {
  protected:
    /// Starts the tool window and forgets what start-up reported.
    void StartTool() {
        ASSERT_TRUE(h.server->StartGEMTool());
        window = h.core->FrmGEMTool();
        ASSERT_NE(window, nullptr);
        h.ClearRecords();
    }

    /// One second passes: the control's timeout pass and the window's establish timer tick.
    void Seconds(int count = 1) {
        for (int i = 0; i < count; ++i) {
            h.clock->Advance(std::chrono::seconds(1));
            h.core->TimeoutTick();
            window->EstablishTick();
        }
    }

    /// The primaries sent named `name`, in order.
    std::vector<std::shared_ptr<SecsTransaction>> Sent(const std::string& name) const {
        std::vector<std::shared_ptr<SecsTransaction>> found;
        for (const auto& t : h.driver->sent) {
            if (t->Primary().Name() == name) found.push_back(t);
        }
        return found;
    }
    std::size_t Count(const std::string& name) const { return Sent(name).size(); }

    /// The CEIDs of the S6F11 reports sent, in order.
    std::vector<std::int32_t> ReportedCEIDs() const {
        std::vector<std::int32_t> ceids;
        for (const auto& t : Sent("S6F11"))
            ceids.push_back(t->Primary().Item(1).Item(2).Value().ToInt32());
        return ceids;
    }

    /// The host answers the last S1F13 with `commack`.
    void AnswerS1F13(std::uint8_t commack) {
        auto sent = Sent("S1F13");
        ASSERT_FALSE(sent.empty()) << "no S1F13 to answer";
        using namespace kest::build;
        h.driver->InjectReply(sent.back(),
                              SecsMessage(1, 14, false, L(B({commack}), L(A("HOST"), A("1")))));
    }

    /// The host answers the last S1F1.
    void AnswerS1F1() {
        auto sent = Sent("S1F1");
        ASSERT_FALSE(sent.empty()) << "no S1F1 to answer";
        using namespace kest::build;
        h.driver->InjectReply(sent.back(), SecsMessage(1, 2, false, L(A("HOST"), A("1"))));
    }

    /// The link comes up and communication is established through the state machine.
    void Communicate() {
        h.driver->RaiseConnect();
        Seconds();
        AnswerS1F13(0);
        ASSERT_EQ(h.GemVar("CommState"), "2");
    }

    /// Whether an event "Service/Name" was raised since the records were last cleared.
    bool Raised(const std::string& name) const {
        for (const auto& n : h.EventNames()) {
            if (n == name) return true;
        }
        return false;
    }

    const frmMainFields& Fields() const { return window->Fields(); }

    ControlHarness h;
    frmMain* window = nullptr;
};

}  // namespace kest::test
