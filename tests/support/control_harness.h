#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <asio/io_context.hpp>

#include "base/clock.h"
#include "control/control_core.h"
#include "control/kest_server.h"
#include "support/fake_driver.h"
#include "support/test_helpers.h"

namespace kest::test {

/// Message boxes a test can read.
class RecordingBoxes final : public MessageBoxSink {
  public:
    void MessageBox(const std::string& text, BoxKind kind) override {
        texts.push_back(text);
        kinds.push_back(kind);
    }
    std::vector<std::string> texts;
    std::vector<BoxKind> kinds;  ///< the kind of each box in `texts`
};

/// What a harness is asked to build.
struct HarnessOptions {
    bool with_database = true;  ///< create GEM.mdb from the defaults
    bool start_tool = false;    ///< call StartGEMTool after creation
};

/// A control on a fresh default database in a temporary directory, with a fake driver, a
/// manual clock (local time zone pinned to UTC), recorded boxes and every notification recorded.
class ControlHarness {
  public:
    explicit ControlHarness(HarnessOptions options = {});
    ~ControlHarness();
    ControlHarness(const ControlHarness&) = delete;
    ControlHarness& operator=(const ControlHarness&) = delete;

    /// The port open, communication established and the control state online remote.
    void Communicating();
    /// Moves the clock on by `seconds` whole seconds, running the timeout pass each second.
    void Tick(int seconds = 1);

    /// The GEM database of the control.
    kest::GEMDB& Db() const { return core->Db(); }
    std::string GemVar(const std::string& name) const { return core->GemVar(name); }
    void SetGemVar(const std::string& name, const Variant& value) const;

    /// Runs `statement` on the control's database directly (for rows the GEM layer may not
    /// change, such as a GEM variable's maximum).
    void Sql(const std::string& statement) const;

    /// The rows of `query` on the control's database, columns joined with "|" (NULL as "NULL").
    std::vector<std::string> Rows(const std::string& query) const;

    /// The error numbers reported so far, in order.
    std::vector<int> ErrorCodes() const;
    /// The events reported so far as "ServiceName/EventName".
    std::vector<std::string> EventNames() const;
    /// Forgets the recorded notifications.
    void ClearRecords();

    std::filesystem::path dir;
    asio::io_context io;
    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<FakeDriver> driver;
    std::shared_ptr<RecordingBoxes> boxes;
    std::shared_ptr<KestServer> server;
    /// The engine behind `server`, for what the application's interface does not offer.
    std::shared_ptr<ControlCore> core;

    std::vector<KestError> errors;
    std::vector<KestMethod> methods;
    std::vector<KestEvent> events;
    std::vector<KestCommand> commands;
};

}  // namespace kest::test
