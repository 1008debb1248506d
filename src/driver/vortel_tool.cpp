#include "driver/vortel_tool.h"

#include <asio/post.hpp>
#include <utility>

#include "driver/driver_errors.h"
#include "driver/hsms_transport.h"
#include "driver/secs1_transport.h"

namespace kest {

std::shared_ptr<VortelTool> VortelTool::Create(asio::any_io_executor executor,
                                               std::shared_ptr<Clock> clock) {
    return std::make_shared<VortelTool>(Passkey(), std::move(executor), std::move(clock));
}

VortelTool::VortelTool(Passkey, asio::any_io_executor executor, std::shared_ptr<Clock> clock)
    : executor_(std::move(executor)),
      log_(*this, clock),
      secs1_log_(*this, std::move(clock), SecsLogKind::SecsI),
      t3_timer_(executor_) {
    // Posted: a failing log write happens inside sends and receives.
    auto failed = [this](const std::string& text) {
        PostError(driver_error::kLogWriteFailed, text);
    };
    log_.SetFailureHandler(failed);
    secs1_log_.SetFailureHandler(failed);
}

VortelTool::~VortelTool() {
    if (transport_) transport_->Close(AbruptClose());
}

void VortelTool::SetEvents(std::weak_ptr<SecsDriverEvents> events) {
    events_ = std::move(events);
}

std::shared_ptr<SecsTransaction> VortelTool::CreateTransaction(std::string_view name) {
    SecsMessage primary = Dictionary().NewPrimary(name);
    return std::make_shared<SecsTransaction>(std::weak_ptr<TransactionSender>(shared_from_this()),
                                             DeviceID(), std::move(primary));
}

std::shared_ptr<SecsTransaction> VortelTool::CreateTransaction() {
    return std::make_shared<SecsTransaction>(std::weak_ptr<TransactionSender>(shared_from_this()),
                                             DeviceID(), SecsMessage());
}

void VortelTool::OpenPort() {
    if (transport_) ClosePort();
    std::string problem = PortProblem();
    if (!problem.empty()) {
        log_.Note("Port not opened: " + problem);
        PostError(driver_error::kPortOpenFailed, problem);
        return;
    }
    transport_ = MakeTransport();
    transport_->Open();
}

std::shared_ptr<Transport> VortelTool::MakeTransport() {
    auto& events = static_cast<TransportEvents&>(*this);
    bool active = ConnectionMode() == enmConnectionMode::ConnectionModeActive;
    if (PortType() == enmPortType::PortTypeRS232 || PortType() == enmPortType::PortTypeTCPIP) {
        Secs1TransportSettings settings;
        settings.protocol.host_role = HostRole();
        settings.protocol.device_id = static_cast<std::uint16_t>(DeviceID());
        settings.protocol.t1 = Timer(ProtocolTimer::T1);
        settings.protocol.t2 = Timer(ProtocolTimer::T2);
        settings.protocol.t4 = Timer(ProtocolTimer::T4);
        settings.protocol.retry_limit = RetryLimit();
        settings.protocol.max_body_size = MaxMessageSize();
        settings.carrier = PortType() == enmPortType::PortTypeRS232 ? Secs1Carrier::Serial
                           : active                                 ? Secs1Carrier::TcpActive
                                                                    : Secs1Carrier::TcpPassive;
        settings.serial_device = SerialPort();
        settings.baud = static_cast<unsigned>(BaudRate());
        settings.local_address = LocalIPAddress();
        settings.local_port = static_cast<std::uint16_t>(LocalIPPort());
        settings.remote_address = RemoteIPAddress();
        settings.remote_port = static_cast<std::uint16_t>(RemoteIPPort());
        settings.t5 = Timer(ProtocolTimer::T5);
        settings.connect_limit = Timer(ProtocolTimer::T6);
        return std::make_shared<Secs1Transport>(executor_, std::move(settings), events);
    }
    HsmsTransportSettings settings;
    settings.role = active ? HsmsRole::Active : HsmsRole::Passive;
    settings.local_address = LocalIPAddress();
    settings.local_port = static_cast<std::uint16_t>(LocalIPPort());
    settings.remote_address = RemoteIPAddress();
    settings.remote_port = static_cast<std::uint16_t>(RemoteIPPort());
    settings.t5 = Timer(ProtocolTimer::T5);
    settings.t6 = Timer(ProtocolTimer::T6);
    settings.t7 = Timer(ProtocolTimer::T7);
    settings.t8 = Timer(ProtocolTimer::T8);
    settings.max_body_size = MaxMessageSize();
    settings.max_send_queue = MaxSendQueueSize();
    settings.write_timeout = WriteTimeout();
    return std::make_shared<HsmsTransport>(executor_, std::move(settings), events);
}

std::string VortelTool::PortProblem() const {
    if (PortType() == enmPortType::PortTypeRS232) {
        if (NetworkPort()) {
            return "The port type is RS232 but the network-port flag is on; set both for the "
                   "same transport";
        }
        if (SerialPort().empty()) return "No serial port to open";
        return {};
    }
    const char* kind = PortType() == enmPortType::PortTypeTCPIP ? "TCPIP" : "HSMS";
    if (!NetworkPort()) {
        return std::string("The port type is ") + kind +
               " but the network-port flag is off; set both for the same transport";
    }
    if (ConnectionMode() == enmConnectionMode::ConnectionModeAlternating) {
        return PortType() == enmPortType::PortTypeTCPIP
                   ? "Connection mode Alternating is not offered for SECS-I over TCP; use Active "
                     "or Passive"
                   : "Connection mode Alternating is not part of HSMS-SS; use Active or Passive";
    }
    if (ConnectionMode() == enmConnectionMode::ConnectionModeActive && RemoteIPAddress().empty()) {
        return "No remote IP address to connect to";
    }
    return {};
}

void VortelTool::ClosePort() {
    if (!transport_) return;
    // Not the transport's state: a connection that failed inside a send is no longer ready, but
    // the application has not heard of its end yet.
    bool was_selected = std::exchange(connected_, false);
    auto transport = std::move(transport_);
    transport->Close(AbruptClose());
    AbandonOpen("the port was closed");
    log_.Note("Port closed");
    if (was_selected) {
        asio::post(executor_, [weak = weak_from_this()] {
            auto self = weak.lock();
            if (!self) return;
            if (auto events = self->events_.lock()) {
                events->Disconnect(driver_error::kPortClosed, "Port closed by the application");
            }
        });
    }
}

void VortelTool::LoadDictionary() {
    if (DictionaryFile().empty()) {
        dictionary_.reset();
        return;
    }
    dictionary_ =
        std::make_shared<const MessageDictionary>(MessageDictionary::FromFile(DictionaryFile()));
}

void VortelTool::UseDictionary(MessageDictionary dictionary) {
    dictionary_ = std::make_shared<const MessageDictionary>(std::move(dictionary));
}

const MessageDictionary& VortelTool::Dictionary() const {
    return dictionary_ ? *dictionary_ : MessageDictionary::Default();
}

bool VortelTool::Linktest(std::function<void(bool)> done) {
    return transport_ && transport_->Linktest(std::move(done));
}

bool VortelTool::IsSelected() const noexcept {
    return transport_ && transport_->IsReady();
}

std::uint16_t VortelTool::ListeningPort() const {
    return transport_ ? transport_->ListeningPort() : 0;
}

void VortelTool::LinkUp() {
    auto self = shared_from_this();
    connected_ = true;
    if (auto events = events_.lock()) events->Connect();
}

void VortelTool::LinkDown(int code, const std::string& text, std::vector<MessageHeader> unsent) {
    auto self = shared_from_this();
    connected_ = false;
    AbandonOpen("the connection ended");
    // The messages first: they failed before the connection was declared lost.
    for (const auto& header : unsent) {
        RaiseError(driver_error::kSendFailed,
                   "Not sent, the connection ended: " + MessageName(header.stream, header.function),
                   Ref(header));
    }
    if (auto events = events_.lock()) events->Disconnect(code, text);
}

void VortelTool::LinkError(int code, const std::string& text) {
    auto self = shared_from_this();
    RaiseError(code, text);
}

void VortelTool::LinkTrace(LogDirection direction, const std::string& what) {
    log_.Control(direction, what);
}

void VortelTool::LinkNote(const std::string& text) {
    log_.Note(text);
}

void VortelTool::LineTrace(LogDirection direction, const std::string& what) {
    secs1_log_.Control(direction, what);
}

void VortelTool::MessageSent(const MessageHeader& header) {
    // A long message on a slow line may take longer than T3 to go out; the wait starts now.
    if (auto entry = open_.Take(header.system_bytes)) {
        OpenTransaction(entry->transaction, header.system_bytes, entry->retries_left, true);
    }
}

void VortelTool::MessageFailed(const MessageHeader& header, const std::string& reason) {
    auto self = shared_from_this();
    open_.Take(header.system_bytes);
    log_.Note("Not sent: " + MessageName(header.stream, header.function) +
              " SystemBytes=" + SystemBytesText(header.system_bytes) + ": " + reason);
    RaiseError(driver_error::kSendFailed,
               "Send failed (" + reason + "): " + MessageName(header.stream, header.function),
               Ref(header));
}

void VortelTool::RaiseError(int code, const std::string& text, const MessageRef& about, int line) {
    if (auto events = events_.lock()) {
        DriverError error;
        error.code = code;
        error.text = text;
        error.line = line;
        if (about.stream >= 0) {
            error.stream = about.stream;
            error.function = about.function;
            error.system_bytes = about.system_bytes;
            error.message_name = MessageName(about.stream, about.function);
        }
        events->Error(error);
    }
}

void VortelTool::PostError(int code, const std::string& text, const MessageRef& about, int line) {
    asio::post(executor_, [weak = weak_from_this(), code, text, about, line] {
        if (auto self = weak.lock()) self->RaiseError(code, text, about, line);
    });
}

}  // namespace kest
