// Feeds arbitrary host primaries through the control's dispatcher and handlers, in every
// communication and control state. Malformed messages must be answered (stream 9, the abort
// reply) or refused by state, never found out by an exception: any error other than the
// dispatcher's state refusal (6001), the send routine's (4019 to 4021) and a reserved report ID
// (5008) aborts, as does a reply that does not belong to the primary.
//
// Input: byte 0 stream (7 bits), byte 1 function, byte 2 flags (bit 0 W-bit, bits 1-3 control
// state 1 to 5, bit 4 not communicating, bit 5 foreign device ID, bit 6 the message is the
// host's reply to the equipment's primary of the function before), then the SECS-II body.
#include <stdlib.h>

#include <asio/io_context.hpp>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "control/control_core.h"
#include "control/kest_server.h"
#include "driver/secs_driver.h"
#include "gemdb/database_setup.h"
#include "secs/codec.h"
#include "secs/dictionary.h"

namespace {

using namespace kest;

// A driver that records what the control answers and sends.
class RecordingDriver final : public SecsDriver,
                              public TransactionSender,
                              public std::enable_shared_from_this<RecordingDriver> {
  public:
    void SetEvents(std::weak_ptr<SecsDriverEvents> events) override { events_ = events; }
    std::shared_ptr<SecsTransaction> CreateTransaction(std::string_view name) override {
        return std::make_shared<SecsTransaction>(weak_from_this(), DeviceID(),
                                                 MessageDictionary::Default().NewPrimary(name));
    }
    std::shared_ptr<SecsTransaction> CreateTransaction() override {
        return std::make_shared<SecsTransaction>(weak_from_this(), DeviceID(), SecsMessage());
    }
    void OpenPort() override {}
    void ClosePort() override {}
    void LoadDictionary() override {}
    bool SendPrimary(const std::shared_ptr<SecsTransaction>& trans) override {
        sent.push_back(trans->Primary().Name());
        return true;
    }
    bool SendReply(SecsTransaction& trans) override {
        replies.push_back(trans.Secondary());
        return true;
    }

    void Receive(const std::shared_ptr<SecsTransaction>& trans) {
        if (auto events = events_.lock()) events->ReceivedPrimary(trans, 0, "");
    }
    void ReceiveReply(const std::shared_ptr<SecsTransaction>& trans) {
        if (auto events = events_.lock()) events->ReceivedSecondary(trans, 0, "");
    }

    std::weak_ptr<SecsDriverEvents> events_;
    std::vector<std::string> sent;
    std::vector<SecsMessage> replies;
};

// One control on a default database for the whole run, removed at exit.
struct Workspace {
    Workspace() {
        std::string pattern = "/tmp/kest-host-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        dir = pattern;
        CreateGemDatabase(dir / "GEM.mdb", false);
        driver = std::make_shared<RecordingDriver>();
        KestServerOptions options;
        options.driver_factory = [d = driver](asio::any_io_executor) { return d; };
        options.run_timers = false;
        options.offset_clock = true;  // a fuzzed time set must never reach the machine's clock
        options.listener = KestListener{
            .ErrorNotification = [this](const KestError& e) { errors.push_back(e.ErrCode); },
        };
        server = KestServer::Create(io.get_executor(), dir, options);
        core = KestServerAccess::Core(*server);
        core->SetSetting("PortOpened", "TRUE");
    }
    ~Workspace() {
        core.reset();
        server.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // Writes the state only when it changed: every write may report events and spool.
    void SetState(const char* name, int value, int& current) {
        if (value == current) return;
        core->SetGemVar(name, value);
        current = value;
    }

    std::filesystem::path dir;
    asio::io_context io;
    std::shared_ptr<RecordingDriver> driver;
    std::shared_ptr<KestServer> server;
    std::shared_ptr<ControlCore> core;
    std::vector<int> errors;
    int comm_state = -1;
    int control_state = -1;
};

Workspace& Space() {
    static Workspace workspace;
    return workspace;
}

void Require(bool condition) {
    if (!condition) std::abort();
}

// Besides the state refusals: the database refusing a host-defined report whose ID is reserved
// for the default reports (5008), which the host learns as DRACK 1.
bool ExpectedError(int code) {
    return code == 6001 || code == 4019 || code == 4020 || code == 4021 || code == 5008;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int stream = data[0] & 0x7F;
    const int function = data[1];
    const std::uint8_t flags = data[2];
    SecsMessage primary(stream, function, (flags & 0x01) != 0);
    try {
        DecodeBody(std::span(data + 3, size - 3), primary,
                   DecodeLimits{.max_message_size = 65536, .max_depth = 16, .max_items = 4096});
    } catch (const SecsCodecError&) {
        return 0;  // the driver refuses such a body before the control sees it
    }

    Workspace& space = Space();
    space.SetState("CommState", (flags & 0x10) != 0 ? 1 : 2, space.comm_state);
    space.SetState("ControlState", 1 + ((flags >> 1) & 0x07) % 5, space.control_state);
    space.core->SpoolList().clear();
    space.errors.clear();
    space.driver->sent.clear();
    space.driver->replies.clear();

    const int device_id = (flags & 0x20) != 0 ? 1 : 0;
    if ((flags & 0x40) != 0) {
        auto sent = std::make_shared<SecsTransaction>(
            space.driver, device_id, SecsMessage(stream, function - 1, true), primary);
        space.driver->ReceiveReply(sent);
        for (int code : space.errors)  // 75: no recipe directory for an object downloaded
            Require(ExpectedError(code) || code == 75);
        Require(space.driver->replies.empty());  // a reply is never answered
        Require(space.driver->sent.size() <= 1);
        return 0;
    }
    auto trans = std::make_shared<SecsTransaction>(
        space.driver, device_id, primary,
        MessageDictionary::Default().ReplyShell(stream, function));
    trans->MarkReceived();
    space.driver->Receive(trans);

    for (int code : space.errors)
        Require(ExpectedError(code));
    Require(space.driver->replies.size() <= 1);
    for (const SecsMessage& reply : space.driver->replies) {
        Require(reply.Stream() == stream);
        Require(reply.Function() == 0 || reply.Function() == function + 1);
    }
    Require(space.driver->sent.size() <= 1);
    return 0;
}
