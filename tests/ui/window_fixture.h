#pragma once

// What the operator-window and state-model tests share: a control on a fresh database whose
// tool window is started by the test (after it chose the initial settings) or whose state
// model runs without a window, the host's side of S1F13 and S1F1, and reading what went out.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/state_model.h"
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
    GemStateModel& Model() { return h.core->State(); }
    const frmMainFields& Fields() const { return window->Fields(); }

    /// One second passes: the timeout pass and the establish timer's tick (through the window
    /// when there is one).
    void Seconds(int count = 1) {
        for (int i = 0; i < count; ++i) {
            h.clock->Advance(std::chrono::seconds(1));
            h.core->TimeoutTick();
            window ? window->EstablishTick() : Model().EstablishTick();
        }
    }
    bool TimerRunning() {
        if (window) return window->EstablishTimerRunning();
        return Model().Timer() != nullptr && Model().Timer()->Running();
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
    /// Whether an event "Service/Name" was raised since the records were last cleared.
    bool Raised(const std::string& name) const {
        const auto names = h.EventNames();
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    /// The host answers the last `name` sent with `reply`.
    void Answer(const std::string& name, SecsMessage reply) {
        auto sent = Sent(name);
        ASSERT_FALSE(sent.empty()) << "no " << name << " to answer";
        h.driver->InjectReply(sent.back(), std::move(reply));
    }
    void AnswerS1F13(std::uint8_t commack) {
        using namespace kest::build;
        Answer("S1F13", SecsMessage(1, 14, false, L(B({commack}), L(A("HOST"), A("1")))));
    }
    void AnswerS1F1() {
        using namespace kest::build;
        Answer("S1F1", SecsMessage(1, 2, false, L(A("HOST"), A("1"))));
    }
    /// The link comes up and communication is established through the state machine.
    void Communicate() {
        h.driver->RaiseConnect();
        Seconds();
        AnswerS1F13(0);
        ASSERT_EQ(h.GemVar("CommState"), "2");
    }

    ControlHarness h;
    frmMain* window = nullptr;
};

}  // namespace kest::test
