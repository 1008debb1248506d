#include "driver/hsms_connection.h"

#include <asio/post.hpp>
#include <asio/write.hpp>
#include <utility>

#include "driver/driver_errors.h"
#include "driver/hsms_connector.h"

namespace kest {

using hsms::ControlHeader;
using hsms::Header;
using hsms::RejectReason;
using hsms::SType;

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kMaxBatch = 64;  // messages gathered into one write
// Control requests number from the upper half; data messages use the lower half.
constexpr std::uint32_t kControlSystemBytesBase = 0x80000000u;

std::string PeerText(const asio::ip::tcp::socket& socket) {
    std::error_code ec;
    auto endpoint = socket.remote_endpoint(ec);
    return ec ? "an unknown address" : EndpointText(endpoint);
}

std::string DataName(const Header& header) {
    return "S" + std::to_string(header.Stream()) + "F" + std::to_string(header.Function());
}

}  // namespace

std::string DurationText(std::chrono::milliseconds value) {
    if (value.count() % 1000 == 0) return std::to_string(value.count() / 1000) + " s";
    return std::to_string(value.count()) + " ms";
}

HsmsConnection::HsmsConnection(asio::ip::tcp::socket socket, HsmsConnectionSettings settings)
    : socket_(std::move(socket)),
      settings_(settings),
      reader_(settings.max_body_size),
      t6_(socket_.get_executor()),
      t7_(socket_.get_executor()),
      t8_(socket_.get_executor()),
      write_deadline_(socket_.get_executor()) {
    batch_.reserve(kMaxBatch);
}

void HsmsConnection::Start(HsmsConnectionEvents* events) {
    events_ = events;
    peer_ = PeerText(socket_);
    std::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);  // small messages, no batching
    auto self = shared_from_this();
    t7_.Start(settings_.t7, self, [this] {
        Fail(driver_error::kNotSelectedTimeout,
             "Not selected within T7 (" + DurationText(settings_.t7) + ")");
    });
    if (settings_.role == HsmsRole::Active) {
        std::uint32_t system_bytes = NextControlSystemBytes();
        StartControlRequest(ControlRequest::Select, system_bytes);
        SendControl(ControlHeader(SType::SelectReq, system_bytes));
    }
    ReadMore();
}

bool HsmsConnection::Send(const Header& header, std::vector<std::uint8_t> body) {
    if (state_ != State::Selected) return false;
    Enqueue(Outgoing{hsms::EncodePrefix(header, body.size()), std::move(body), header});
    return true;
}

bool HsmsConnection::Linktest(std::function<void(bool)> done) {
    if (!IsLive() || request_ != ControlRequest::None) return false;
    std::uint32_t system_bytes = NextControlSystemBytes();
    linktest_done_ = std::move(done);
    StartControlRequest(ControlRequest::Linktest, system_bytes);
    SendControl(ControlHeader(SType::LinktestReq, system_bytes));
    return true;
}

void HsmsConnection::Separate() {
    if (state_ != State::Selected) {
        Stop();
        return;
    }
    Header header = ControlHeader(SType::SeparateReq, NextControlSystemBytes());
    if (events_) events_->ControlTraced(LogDirection::Sent, header);
    events_ = nullptr;
    t7_.Cancel();
    t8_.Cancel();
    EndControlRequest(false);
    state_ = State::Separating;
    Enqueue(Outgoing{hsms::EncodePrefix(header, 0), {}, header});
    // A remote entity that stopped reading must not keep the socket open for ever.
    t6_.Start(settings_.t6, shared_from_this(), [this] { CloseSocket(); });
}

void HsmsConnection::Stop() {
    events_ = nullptr;  // also silences a failure already posted
    if (state_ == State::Closed) return;
    EndControlRequest(false);
    queue_.clear();
    CloseSocket();
}

bool HsmsConnection::IsLive() const noexcept {
    return state_ == State::NotSelected || state_ == State::Selected;
}

std::uint32_t HsmsConnection::NextControlSystemBytes() noexcept {
    control_counter_ = (control_counter_ + 1) & 0x7FFFFFFF;
    return kControlSystemBytesBase | control_counter_;
}

void HsmsConnection::ReadMore() {
    auto room = reader_.Prepare(kReadChunk);
    socket_.async_read_some(
        asio::buffer(room.data(), room.size()),
        [self = shared_from_this()](const std::error_code& ec, std::size_t count) {
            self->OnRead(ec, count);
        });
}

void HsmsConnection::OnRead(const std::error_code& ec, std::size_t count) {
    if (!IsLive()) return;
    if (ec) {
        OnReadError(ec);
        return;
    }
    reader_.Commit(count);
    for (;;) {
        std::optional<hsms::Frame> frame;
        try {
            frame = reader_.Next();
        } catch (const hsms::FrameError& e) {
            Fail(driver_error::kProtocolError, std::string("Protocol error: ") + e.what());
            return;
        }
        if (!frame) break;
        HandleFrame(*frame);
        if (!IsLive()) return;  // a handler closed or separated the connection
    }
    UpdateT8();
    ReadMore();
}

void HsmsConnection::OnReadError(const std::error_code& ec) {
    if (ec != asio::error::eof) {
        Fail(driver_error::kNetworkError, "Network error: " + ec.message());
    } else if (reader_.InMessage()) {
        Fail(driver_error::kConnectionClosed,
             "Connection closed by the remote entity in the middle of a message (" +
                 ProgressText() + ")");
    } else {
        Fail(driver_error::kConnectionClosed, "Connection closed by the remote entity");
    }
}

std::string HsmsConnection::ProgressText() const {
    if (reader_.Expected() == 0) {
        return std::to_string(reader_.Buffered()) + " of the 4 length bytes received";
    }
    return std::to_string(reader_.Buffered()) + " of " + std::to_string(reader_.Expected()) +
           " bytes received";
}

void HsmsConnection::HandleFrame(const hsms::Frame& frame) {
    const Header& header = frame.header;
    if (header.ptype != 0) {
        TraceReceived(header);
        if (!IsLive()) return;
        Reject(header, RejectReason::PTypeNotSupported, header.ptype,
               "a message of PType " + std::to_string(header.ptype));
        return;
    }
    if (!header.IsData()) {
        HandleControl(header);
        return;
    }
    if (state_ != State::Selected) {
        TraceReceived(header);
        if (!IsLive()) return;
        Reject(header, RejectReason::EntityNotSelected, header.stype,
               "data message " + DataName(header) + " received before selection");
        return;
    }
    if (events_) events_->DataReceived(header, frame.body);
}

void HsmsConnection::HandleControl(const Header& header) {
    TraceReceived(header);
    if (!IsLive()) return;
    switch (static_cast<SType>(header.stype)) {
        case SType::SelectReq:
            HandleSelectReq(header);
            break;
        case SType::SelectRsp:
            HandleSelectRsp(header);
            break;
        case SType::LinktestReq:
            SendControl(ControlHeader(SType::LinktestRsp, header.system_bytes));
            break;
        case SType::LinktestRsp:
            HandleLinktestRsp(header);
            break;
        case SType::RejectReq:
            HandleRejectReq(header);
            break;
        case SType::SeparateReq:
            Fail(driver_error::kConnectionClosed, "Separate.req received from the remote entity");
            break;
        case SType::DeselectReq:
        case SType::DeselectRsp:
            Reject(header, RejectReason::STypeNotSupported, header.stype,
                   hsms::STypeName(header.stype) + ", which HSMS-SS does not use");
            break;
        default:
            Reject(header, RejectReason::STypeNotSupported, header.stype,
                   "a message of " + hsms::STypeName(header.stype));
            break;
    }
}

void HsmsConnection::HandleSelectReq(const Header& header) {
    if (state_ == State::Selected) {
        SendControl(ControlHeader(SType::SelectRsp, header.system_bytes, 0,
                                  static_cast<std::uint8_t>(hsms::SelectStatus::AlreadyActive)));
        return;
    }
    SendControl(ControlHeader(SType::SelectRsp, header.system_bytes, 0,
                              static_cast<std::uint8_t>(hsms::SelectStatus::Established)));
    // Both sides selecting at once: the remote entity's request settles it.
    if (request_ == ControlRequest::Select) EndControlRequest(true);
    BecomeSelected();
}

void HsmsConnection::HandleSelectRsp(const Header& header) {
    if (request_ != ControlRequest::Select || header.system_bytes != request_system_bytes_) {
        Reject(header, RejectReason::TransactionNotOpen, header.stype,
               "a Select.rsp that answers no open Select.req");
        return;
    }
    EndControlRequest(true);
    if (header.byte3 != static_cast<std::uint8_t>(hsms::SelectStatus::Established)) {
        Fail(driver_error::kConnectionRefused,
             "Select refused by the remote entity: " + hsms::SelectStatusText(header.byte3));
        return;
    }
    BecomeSelected();
}

void HsmsConnection::HandleLinktestRsp(const Header& header) {
    if (request_ != ControlRequest::Linktest || header.system_bytes != request_system_bytes_) {
        Reject(header, RejectReason::TransactionNotOpen, header.stype,
               "a Linktest.rsp that answers no open Linktest.req");
        return;
    }
    EndControlRequest(true);
}

void HsmsConnection::HandleRejectReq(const Header& header) {
    if (request_ != ControlRequest::None && header.system_bytes == request_system_bytes_) {
        bool was_select = request_ == ControlRequest::Select;
        EndControlRequest(false);
        if (was_select) {
            Fail(driver_error::kConnectionRefused, "Select.req rejected by the remote entity: " +
                                                       hsms::RejectReasonText(header.byte3));
        }
        return;
    }
    if (events_) events_->DataRejected(header.system_bytes, header.byte3);
}

void HsmsConnection::Reject(const Header& header, RejectReason reason, std::uint8_t byte2,
                            const std::string& what) {
    SendControl(ControlHeader(SType::RejectReq, header.system_bytes, byte2,
                              static_cast<std::uint8_t>(reason)));
    if (events_) {
        events_->ProtocolProblem("Rejected " + what + " from " + peer_ + ": " +
                                 hsms::RejectReasonText(static_cast<std::uint8_t>(reason)));
    }
}

void HsmsConnection::TraceReceived(const Header& header) {
    if (events_) events_->ControlTraced(LogDirection::Received, header);
}

void HsmsConnection::BecomeSelected() {
    state_ = State::Selected;
    t7_.Cancel();
    if (events_) events_->Selected();
}

void HsmsConnection::SendControl(const Header& header) {
    if (events_) events_->ControlTraced(LogDirection::Sent, header);
    if (!IsLive()) return;
    Enqueue(Outgoing{hsms::EncodePrefix(header, 0), {}, header});
}

void HsmsConnection::Enqueue(Outgoing message) {
    std::size_t size = message.prefix.size() + message.body.size();
    // Only a remote entity that stopped reading lets the queue grow this far; a message alone
    // always goes.
    if (IsLive() && pending_bytes_ > 0 && pending_bytes_ + size > settings_.max_send_queue) {
        FailLater(driver_error::kNetworkError,
                  "Send queue full: the remote entity stopped reading (" + QueuedText() + ")",
                  message.header);
        return;
    }
    pending_bytes_ += size;
    queue_.push_back(std::move(message));
    if (!writing_) WriteNext();
}

std::string HsmsConnection::QueuedText() const {
    return std::to_string(pending_bytes_) + " bytes queued, at most " +
           std::to_string(settings_.max_send_queue);
}

void HsmsConnection::WriteNext() {
    batch_.clear();
    buffers_.clear();
    if (queue_.empty()) {
        writing_ = false;
        if (state_ == State::Separating) CloseSocket();
        return;
    }
    while (!queue_.empty() && batch_.size() < kMaxBatch) {
        batch_.push_back(std::move(queue_.front()));
        queue_.pop_front();
    }
    batch_bytes_ = 0;
    for (const auto& message : batch_) {
        buffers_.emplace_back(message.prefix.data(), message.prefix.size());
        if (!message.body.empty()) buffers_.emplace_back(message.body.data(), message.body.size());
        batch_bytes_ += message.prefix.size() + message.body.size();
    }
    writing_ = true;
    last_progress_ = std::chrono::steady_clock::now();
    if (!write_deadline_.Armed()) ArmWriteDeadline(settings_.write_timeout);
    // Called after every partial write: each one is progress that keeps the deadline away.
    auto progress = [this](const std::error_code& ec, std::size_t written) {
        if (written > 0) last_progress_ = std::chrono::steady_clock::now();
        return asio::transfer_all()(ec, written);
    };
    auto done = [self = shared_from_this()](const std::error_code& ec, std::size_t) {
        self->OnWritten(ec);
    };
    // The write keeps a copy of the buffer sequence: a fixed pair costs no allocation for the
    // usual single message, the vector only when several are gathered.
    if (buffers_.size() <= 2) {
        std::array<asio::const_buffer, 2> pair{
            buffers_[0], buffers_.size() == 2 ? buffers_[1] : asio::const_buffer()};
        asio::async_write(socket_, pair, progress, std::move(done));
    } else {
        asio::async_write(socket_, buffers_, progress, std::move(done));
    }
}

void HsmsConnection::ArmWriteDeadline(std::chrono::milliseconds after) {
    write_deadline_.Start(after, shared_from_this(), [this] { OnWriteDeadline(); });
}

void HsmsConnection::OnWriteDeadline() {
    // Left to expire while idle rather than restarted for every write; the next write re-arms it.
    if (!writing_ || !IsLive()) return;
    auto idle = std::chrono::steady_clock::now() - last_progress_;
    if (idle < settings_.write_timeout) {
        ArmWriteDeadline(
            std::chrono::ceil<std::chrono::milliseconds>(settings_.write_timeout - idle));
        return;
    }
    Fail(driver_error::kNetworkError,
         "Write timed out: nothing could be written for " + DurationText(settings_.write_timeout) +
             "; the remote entity stopped reading (" + QueuedText() + ")");
}

void HsmsConnection::OnWritten(const std::error_code& ec) {
    if (state_ == State::Closed) return;
    if (ec) {
        if (state_ == State::Separating) {
            CloseSocket();
        } else {
            Fail(driver_error::kNetworkError, "Network error while writing: " + ec.message());
        }
        return;
    }
    pending_bytes_ -= batch_bytes_;
    WriteNext();
}

void HsmsConnection::UpdateT8() {
    if (reader_.InMessage()) {
        // Restarted by every read: T8 bounds the gap between bytes, not the whole message.
        t8_.Start(settings_.t8, shared_from_this(), [this] {
            Fail(driver_error::kInterCharacterTimeout,
                 "Message incomplete: nothing received for T8 (" + DurationText(settings_.t8) +
                     ") after " + ProgressText());
        });
    } else if (t8_.Armed()) {
        t8_.Cancel();
    }
}

void HsmsConnection::StartControlRequest(ControlRequest kind, std::uint32_t system_bytes) {
    request_ = kind;
    request_system_bytes_ = system_bytes;
    t6_.Start(settings_.t6, shared_from_this(), [this] { OnT6(); });
}

void HsmsConnection::EndControlRequest(bool answered) {
    if (request_ == ControlRequest::None) return;
    t6_.Cancel();
    bool was_linktest = request_ == ControlRequest::Linktest;
    request_ = ControlRequest::None;
    if (was_linktest && linktest_done_) {
        // Posted: this runs inside calls the owner makes (Stop) as well as inside handlers.
        asio::post(socket_.get_executor(),
                   [done = std::exchange(linktest_done_, {}), answered] { done(answered); });
    }
}

void HsmsConnection::OnT6() {
    std::string what = request_ == ControlRequest::Select ? "Select.rsp" : "Linktest.rsp";
    EndControlRequest(false);
    Fail(driver_error::kControlTimeout,
         "No " + what + " within T6 (" + DurationText(settings_.t6) + ")");
}

void HsmsConnection::Fail(int code, const std::string& text) {
    if (!IsLive()) return;
    bool was_selected = state_ == State::Selected;
    auto unsent = Shut();
    if (auto* events = std::exchange(events_, nullptr)) {
        events->Closed(was_selected, code, text, std::move(unsent));
    }
}

void HsmsConnection::FailLater(int code, const std::string& text, const Header& refused) {
    // Inside a call of the owner (a send): the connection ends now, the owner hears of it from a
    // handler, unless it stops the connection first.
    if (!IsLive()) return;
    bool was_selected = state_ == State::Selected;
    auto unsent = Shut();
    if (refused.IsData()) unsent.push_back(refused);
    asio::post(socket_.get_executor(), [self = shared_from_this(), was_selected, code, text,
                                        unsent = std::move(unsent)]() mutable {
        if (auto* events = std::exchange(self->events_, nullptr)) {
            events->Closed(was_selected, code, text, std::move(unsent));
        }
    });
}

std::vector<Header> HsmsConnection::Shut() {
    EndControlRequest(false);
    auto unsent = TakeUnsent();
    CloseSocket();
    return unsent;
}

void HsmsConnection::CloseSocket() noexcept {
    state_ = State::Closed;
    t6_.Cancel();
    t7_.Cancel();
    t8_.Cancel();
    write_deadline_.Cancel();
    std::error_code ignored;
    socket_.close(ignored);
}

std::vector<Header> HsmsConnection::TakeUnsent() {
    // The batch stays in place: the cancelled write may still refer to it until it completes.
    std::vector<Header> unsent;
    for (const auto& message : batch_) {
        if (message.header.IsData()) unsent.push_back(message.header);
    }
    for (const auto& message : queue_) {
        if (message.header.IsData()) unsent.push_back(message.header);
    }
    queue_.clear();
    return unsent;
}

}  // namespace kest
