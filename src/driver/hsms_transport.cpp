#include "driver/hsms_transport.h"

#include <asio/post.hpp>

#include "driver/driver_errors.h"

namespace kest {

namespace {

MessageHeader ToMessageHeader(const hsms::Header& header) {
    return MessageHeader{header.session_id, header.Stream(), header.Function(),
                         header.ReplyExpected(), header.system_bytes};
}

}  // namespace

std::string DescribeControl(const hsms::Header& header) {
    std::string text;
    if (header.IsData()) {
        // Appended piece by piece: "S" + a temporary string trips GCC 12's -Wrestrict at -O3.
        text = "S";
        text += std::to_string(header.Stream());
        text += 'F';
        text += std::to_string(header.Function());
        text += header.ReplyExpected() ? " W DeviceID=" : " DeviceID=";
        text += std::to_string(header.session_id);
    } else {
        text = hsms::STypeName(header.stype);
        switch (static_cast<hsms::SType>(header.stype)) {
            case hsms::SType::SelectRsp:
                text += " " + hsms::SelectStatusText(header.byte3);
                break;
            case hsms::SType::RejectReq:
                text += " of " + hsms::STypeName(header.byte2) + " " +
                        hsms::RejectReasonText(header.byte3);
                break;
            default:
                break;
        }
    }
    if (header.ptype != 0) text += " PType=" + std::to_string(header.ptype);
    return text + " SystemBytes=" + SystemBytesText(header.system_bytes);
}

HsmsTransport::HsmsTransport(const asio::any_io_executor& executor, HsmsTransportSettings settings,
                             TransportEvents& events)
    : executor_(executor), settings_(std::move(settings)), events_(&events), t5_(executor) {}

HsmsTransport::~HsmsTransport() {
    Close(true);
}

void HsmsTransport::Open() {
    if (settings_.role == HsmsRole::Passive) {
        Listen();
    } else {
        connector_ = std::make_shared<HsmsConnector>(executor_);
        ConnectAttempt();
    }
}

void HsmsTransport::Close(bool abrupt) {
    if (closed_) return;
    closed_ = true;
    events_ = nullptr;
    t5_.Cancel();
    if (listener_) listener_->Stop();
    if (connector_) connector_->Stop();
    if (connection_) {
        if (abrupt) {
            connection_->Stop();
        } else {
            connection_->Separate();
        }
        connection_.reset();
    }
}

bool HsmsTransport::IsReady() const noexcept {
    return connection_ && connection_->GetState() == HsmsConnection::State::Selected;
}

void HsmsTransport::Send(const MessageHeader& header, std::vector<std::uint8_t> body) {
    if (!IsReady()) return;
    connection_->Send(hsms::DataHeader(header.device_id, header.stream, header.function,
                                       header.reply_expected, header.system_bytes),
                      std::move(body));
}

bool HsmsTransport::Linktest(std::function<void(bool)> done) {
    return connection_ && connection_->Linktest(std::move(done));
}

std::uint16_t HsmsTransport::ListeningPort() const {
    return listener_ ? listener_->Port() : 0;
}

void HsmsTransport::Listen() {
    std::string problem;
    listener_ = ListenFor(weak_from_this(), &HsmsTransport::Accepted, &HsmsTransport::Report,
                          executor_, settings_.local_address, settings_.local_port, problem);
    if (!listener_) return PostReport(driver_error::kPortOpenFailed, problem);
    Note("Listening on " + listener_->Where());
}

void HsmsTransport::ConnectAttempt() {
    std::weak_ptr<HsmsTransport> weak = weak_from_this();
    connector_->Connect(
        settings_.remote_address, settings_.remote_port, settings_.t6,
        [weak](std::error_code ec, asio::ip::tcp::socket socket, const std::string& peer) {
            if (auto self = weak.lock()) {
                self->OnConnected(ec, std::move(socket), peer);
            }
        });
}

void HsmsTransport::OnConnected(std::error_code ec, asio::ip::tcp::socket socket,
                                const std::string& peer) {
    if (closed_) return;
    auto self = shared_from_this();
    if (ec) {
        std::string reason = ec.message();
        Note("Cannot connect to " + peer + ": " + reason);
        // A host that stays away would otherwise fill the error log every T5.
        if (reason != last_connect_failure_) {
            last_connect_failure_ = reason;
            Report(driver_error::kConnectFailed, "Cannot connect to " + peer + ": " + reason +
                                                     "; trying again every T5 (" +
                                                     DurationText(settings_.t5) + ")");
        }
        if (!closed_) ScheduleAttempt();
        return;
    }
    last_connect_failure_.clear();
    Serve(std::move(socket), "Connected to " + peer);
}

void HsmsTransport::ScheduleAttempt() {
    t5_.Start(settings_.t5, shared_from_this(), [this] {
        if (!closed_) ConnectAttempt();
    });
}

void HsmsTransport::Accepted(asio::ip::tcp::socket socket) {
    if (closed_) return;
    auto self = shared_from_this();
    std::error_code ec;
    auto remote = socket.remote_endpoint(ec);
    std::string peer = ec ? std::string("an unknown address") : EndpointText(remote);
    if (connection_) {
        socket.close(ec);  // refused: HSMS-SS serves one connection
        std::string text = "Refused a connection from " + peer + ": a connection from " +
                           connection_->Peer() + " is already open";
        Note(text);
        Report(driver_error::kConnectionRefused, text);
        return;
    }
    Serve(std::move(socket), "Accepted a connection from " + peer);
}

void HsmsTransport::Serve(asio::ip::tcp::socket socket, const std::string& note) {
    Note(note);
    HsmsConnectionSettings connection_settings{settings_.role,
                                               settings_.t6,
                                               settings_.t7,
                                               settings_.t8,
                                               settings_.max_body_size,
                                               settings_.max_send_queue,
                                               settings_.write_timeout};
    connection_ = std::make_shared<HsmsConnection>(std::move(socket), connection_settings);
    auto connection = connection_;
    connection->Start(this);
}

void HsmsTransport::Report(int code, const std::string& text) {
    if (events_) events_->LinkError(code, text);
}

void HsmsTransport::PostReport(int code, const std::string& text) {
    asio::post(executor_, [weak = weak_from_this(), code, text] {
        if (auto self = weak.lock()) self->Report(code, text);
    });
}

void HsmsTransport::Note(const std::string& text) {
    if (events_) events_->LinkNote(text);
}

void HsmsTransport::Selected() {
    auto self = shared_from_this();
    Note("Selected");
    if (events_) events_->LinkUp();
}

void HsmsTransport::DataReceived(const hsms::Header& header, std::span<const std::uint8_t> body) {
    auto self = shared_from_this();
    if (events_) events_->MessageReceived(ToMessageHeader(header), body);
}

void HsmsTransport::DataRejected(std::uint32_t system_bytes, std::uint8_t reason) {
    auto self = shared_from_this();
    if (events_) events_->MessageRejected(system_bytes, hsms::RejectReasonText(reason));
}

void HsmsTransport::ProtocolProblem(const std::string& text) {
    auto self = shared_from_this();
    Report(driver_error::kProtocolError, text);
}

void HsmsTransport::ControlTraced(LogDirection direction, const hsms::Header& header) {
    if (events_) events_->LinkTrace(direction, DescribeControl(header));
}

void HsmsTransport::Closed(bool was_selected, int code, const std::string& text,
                           std::vector<hsms::Header> unsent) {
    auto self = shared_from_this();
    connection_.reset();
    Note("Connection ended: " + text);
    if (events_) {
        if (was_selected) {
            std::vector<MessageHeader> headers;
            headers.reserve(unsent.size());
            for (const auto& header : unsent)
                headers.push_back(ToMessageHeader(header));
            events_->LinkDown(code, text, std::move(headers));
        } else {
            events_->LinkError(code, text);
        }
    }
    if (!closed_ && settings_.role == HsmsRole::Active) ScheduleAttempt();
}

}  // namespace kest
