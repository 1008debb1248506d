#pragma once

#include <string>
#include <vector>

#include "core/ied_action.h"

namespace kest::test {

// A transaction object that records what the control hands it.
class RecordingAction : public IEDAction {
  public:
    RecordingAction(std::int32_t tid, std::int32_t timeout, std::string source = "GEMAlarm",
                    std::string method = "SetAlarmByALID")
        : tid_(tid), timeout_(timeout), source_(std::move(source)), method_(std::move(method)) {}

    std::int32_t Timeout() const override { return timeout_; }
    void SetTimeout(std::int32_t s) override { timeout_ = s; }
    std::int32_t TID() const override { return tid_; }
    void SetTID(std::int32_t t) override { tid_ = t; }
    std::string SourceName() const override { return source_; }
    std::string TimeoutMethodName() const override { return method_; }
    void Connect() override { calls.push_back("Connect"); }
    void Disconnect(std::int32_t code, const std::string& text) override {
        calls.push_back("Disconnect " + std::to_string(code) + " " + text);
    }
    void SecsError(std::int32_t code, const std::string&) override {
        calls.push_back("SecsError " + std::to_string(code));
    }
    void ReceivedPrimary(const std::shared_ptr<SecsTransaction>&, std::int32_t,
                         const std::string&) override {
        calls.push_back("ReceivedPrimary");
    }
    void ReceivedSecondary(const std::shared_ptr<SecsTransaction>&, std::int32_t,
                           const std::string&) override {
        calls.push_back("ReceivedSecondary");
    }

    std::vector<std::string> calls;

  private:
    std::int32_t tid_;
    std::int32_t timeout_;
    std::string source_;
    std::string method_;
};

}  // namespace kest::test
