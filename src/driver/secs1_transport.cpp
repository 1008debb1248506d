#include "driver/secs1_transport.h"

#include <asio/post.hpp>

#include "driver/driver_errors.h"

namespace kest {

Secs1Transport::Secs1Transport(const asio::any_io_executor& executor,
                               Secs1TransportSettings settings, TransportEvents& events)
    : executor_(executor),
      settings_(std::move(settings)),
      events_(&events),
      t5_(executor),
      line_(executor),
      inter_block_(executor) {}

Secs1Transport::~Secs1Transport() {
    Close(true);
}

void Secs1Transport::Open() {
    switch (settings_.carrier) {
        case Secs1Carrier::Serial:
            OpenSerial();
            break;
        case Secs1Carrier::TcpPassive:
            Listen();
            break;
        case Secs1Carrier::TcpActive:
            connector_ = std::make_shared<HsmsConnector>(executor_);
            ConnectAttempt();
            break;
    }
}

void Secs1Transport::Close(bool) {
    if (closed_) return;
    closed_ = true;
    events_ = nullptr;
    ++generation_;
    t5_.Cancel();
    line_.Cancel();
    inter_block_.Cancel();
    if (listener_) listener_->Stop();
    if (connector_) connector_->Stop();
    if (stream_) stream_->Close();
    stream_.reset();
    // The protocol stays: this may run inside one of its calls.
}

void Secs1Transport::Send(const MessageHeader& header, std::vector<std::uint8_t> body) {
    if (!IsReady()) return;
    auto self = shared_from_this();
    protocol_->Send(header, body);
}

std::uint16_t Secs1Transport::ListeningPort() const {
    return listener_ ? listener_->Port() : 0;
}

void Secs1Transport::OpenSerial() {
    std::string problem;
    auto stream = OpenSerialStream(executor_, settings_.serial_device, settings_.baud, problem);
    if (!stream) {
        PostReport(driver_error::kPortOpenFailed,
                   "Cannot open the serial port " + settings_.serial_device + ": " + problem);
        return;
    }
    Serve(std::move(stream), "Serial port " + settings_.serial_device + " opened at " +
                                 std::to_string(settings_.baud) + " baud, 8N1");
}

void Secs1Transport::Listen() {
    std::string problem;
    listener_ = ListenFor(weak_from_this(), &Secs1Transport::Accepted, &Secs1Transport::Report,
                          executor_, settings_.local_address, settings_.local_port, problem);
    if (!listener_) return PostReport(driver_error::kPortOpenFailed, problem);
    Note("SECS-I listening on " + listener_->Where());
}

void Secs1Transport::ConnectAttempt() {
    std::weak_ptr<Secs1Transport> weak = weak_from_this();
    connector_->Connect(
        settings_.remote_address, settings_.remote_port, settings_.connect_limit,
        [weak](std::error_code ec, asio::ip::tcp::socket socket, const std::string& peer) {
            auto self = weak.lock();
            if (!self || self->closed_) return;
            if (ec) {
                std::string text = "Cannot connect to " + peer + ": " + ec.message();
                self->Note(text);
                // A terminal server that stays away would otherwise fill the error log.
                if (text != self->last_connect_failure_) {
                    self->last_connect_failure_ = text;
                    self->Report(driver_error::kConnectFailed, text);
                }
                self->t5_.Start(self->settings_.t5, self, [raw = self.get()] {
                    if (!raw->closed_) raw->ConnectAttempt();
                });
                return;
            }
            self->last_connect_failure_.clear();
            self->Serve(TcpStream(std::move(socket)), "SECS-I connected to " + peer);
        });
}

void Secs1Transport::Accepted(asio::ip::tcp::socket socket) {
    if (closed_) return;
    std::error_code ec;
    auto remote = socket.remote_endpoint(ec);
    std::string peer = ec ? std::string("an unknown address") : EndpointText(remote);
    if (stream_) {
        socket.close(ec);
        std::string text = "Refused a SECS-I connection from " + peer + ": one is already open";
        Note(text);
        Report(driver_error::kConnectionRefused, text);
        return;
    }
    Serve(TcpStream(std::move(socket)), "SECS-I connection accepted from " + peer);
}

void Secs1Transport::Serve(std::unique_ptr<Secs1Stream> stream, const std::string& note) {
    stream_ = std::move(stream);
    ++generation_;
    pending_.clear();
    writing_.clear();
    protocol_ = std::make_unique<Secs1Protocol>(settings_.protocol, static_cast<Secs1Link&>(*this),
                                                [] { return std::chrono::steady_clock::now(); });
    Note(note);
    ReadNext();
    // Posted: opening a serial port happens inside the driver's OpenPort.
    asio::post(executor_, [weak = weak_from_this(), generation = generation_] {
        auto self = weak.lock();
        if (self && self->generation_ == generation && self->events_) self->events_->LinkUp();
    });
}

void Secs1Transport::ReadNext() {
    stream_->ReadSome(
        asio::buffer(read_buffer_), [self = shared_from_this(), generation = generation_](
                                        const std::error_code& ec, std::size_t n) {
            if (self->generation_ != generation) return;
            if (ec) {
                self->Lost(ec == asio::error::eof ? "closed by the remote entity" : ec.message());
                return;
            }
            self->protocol_->Received(std::span(self->read_buffer_.data(), n));
            if (self->generation_ == generation) self->ReadNext();
        });
}

void Secs1Transport::Write(std::span<const std::uint8_t> bytes) {
    if (!stream_) return;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    if (writing_.empty()) Flush();
}

void Secs1Transport::Flush() {
    writing_.swap(pending_);
    pending_.clear();
    if (writing_.empty()) return;
    stream_->WriteAll(asio::buffer(writing_), [self = shared_from_this(), generation = generation_](
                                                  const std::error_code& ec, std::size_t) {
        if (self->generation_ != generation) return;
        if (ec) {
            self->Lost(ec.message());
            return;
        }
        self->writing_.clear();
        self->Flush();
    });
}

void Secs1Transport::Lost(const std::string& why) {
    ++generation_;
    line_.Cancel();
    inter_block_.Cancel();
    stream_->Close();
    stream_.reset();
    auto unsent = protocol_->Unsent();
    std::string text = "SECS-I line lost: " + why;
    Note(text);
    if (events_) events_->LinkDown(driver_error::kConnectionClosed, text, std::move(unsent));
    if (!closed_ && settings_.carrier == Secs1Carrier::TcpActive) {
        t5_.Start(settings_.t5, shared_from_this(), [this] {
            if (!closed_) ConnectAttempt();
        });
    }
}

void Secs1Transport::Report(int code, const std::string& text) {
    if (events_) events_->LinkError(code, text);
}

void Secs1Transport::PostReport(int code, const std::string& text) {
    asio::post(executor_, [weak = weak_from_this(), code, text] {
        if (auto self = weak.lock()) self->Report(code, text);
    });
}

void Secs1Transport::Note(const std::string& text) {
    if (events_) events_->LinkNote(text);
}

void Secs1Transport::StartTimer(Secs1Timer timer, std::chrono::milliseconds after) {
    if (!stream_) return;
    TimerOf(timer).Start(after, shared_from_this(), [this, timer] {
        if (stream_) protocol_->Expired(timer);
    });
}

void Secs1Transport::StopTimer(Secs1Timer timer) {
    TimerOf(timer).Cancel();
}

void Secs1Transport::MessageArrived(const MessageHeader& header,
                                    std::span<const std::uint8_t> body) {
    if (events_) events_->MessageReceived(header, body);
}

void Secs1Transport::MessageSent(const MessageHeader& header) {
    if (events_) events_->MessageSent(header);
}

void Secs1Transport::SendFailed(const MessageHeader& header, int code, const std::string& text) {
    if (events_) events_->MessageFailed(header, text);
    if (code != driver_error::kSendFailed) Report(code, text);
}

void Secs1Transport::ReceiveFailed(int code, const std::string& text) {
    Report(code, text);
}

void Secs1Transport::Trace(LogDirection direction, const std::string& what) {
    if (events_) events_->LineTrace(direction, what);
}

}  // namespace kest
