// VortelTool: sending, receiving, and the T3 reply timer.
#include <exception>
#include <optional>

#include "driver/driver_errors.h"
#include "driver/hsms_connection.h"
#include "driver/hsms_transport.h"
#include "driver/vortel_tool.h"
#include "secs/codec.h"

namespace kest {

namespace {

bool ReplyFits(const SecsMessage& primary, const MessageHeader& reply) {
    return reply.stream == primary.Stream() &&
           (reply.function == 0 || reply.function == primary.Function() + 1);
}

}  // namespace

bool VortelTool::SendPrimary(const std::shared_ptr<SecsTransaction>& transaction) {
    const SecsMessage& primary = transaction->Primary();
    MessageRef about = Ref(primary, 0);  // no system bytes until it goes out
    std::vector<std::uint8_t> body;
    if (!TransportReady("Send failed", about) || !Encode(primary, body, "Send failed", about)) {
        return false;
    }
    // A transaction sent again stops waiting under its old system bytes.
    if (const auto* entry = open_.Find(transaction->SystemBytes());
        entry && entry->transaction == transaction) {
        open_.Take(transaction->SystemBytes());
    }
    MessageHeader header{static_cast<std::uint16_t>(DeviceID()), primary.Stream(),
                         primary.Function(), primary.ReplyExpected(), open_.NextSystemBytes()};
    transaction->SetDeviceID(DeviceID());
    transaction->SetSystemBytes(header.system_bytes);
    transaction->Secondary() = SecsMessage();
    if (header.reply_expected) OpenTransaction(transaction, header.system_bytes, T3RetryCount());
    Transmit(header, primary, std::move(body));
    return true;
}

bool VortelTool::SendReply(SecsTransaction& transaction) {
    const SecsMessage& reply = transaction.Secondary();
    MessageRef about = Ref(reply, transaction.SystemBytes());
    if (!transaction.IsReceived()) {
        PostError(driver_error::kSendFailed,
                  "Reply failed, the primary was not received from the remote entity: " +
                      transaction.Primary().Name(),
                  Ref(transaction.Primary(), transaction.SystemBytes()));
        return false;
    }
    if (transaction.IsReplied()) {
        PostError(driver_error::kSendFailed,
                  "Reply failed, the reply was sent already: " + reply.Name(), about);
        return false;
    }
    std::vector<std::uint8_t> body;
    if (!TransportReady("Reply failed", about) || !Encode(reply, body, "Reply failed", about)) {
        return false;
    }
    MessageHeader header{static_cast<std::uint16_t>(transaction.DeviceID()), reply.Stream(),
                         reply.Function(), false, transaction.SystemBytes()};
    transaction.MarkReplied();
    Transmit(header, reply, std::move(body));
    return true;
}

// Error texts put the reason between `verb` and the message name, as the application has
// always seen them.
bool VortelTool::TransportReady(std::string_view verb, const MessageRef& about) {
    if (transport_ && transport_->IsReady()) return true;
    PostError(driver_error::kSendFailed,
              std::string(verb) +
                  (transport_ ? ", the session is not selected: " : ", the port is closed: ") +
                  MessageName(about.stream, about.function),
              about);
    return false;
}

bool VortelTool::Encode(const SecsMessage& message, std::vector<std::uint8_t>& body,
                        std::string_view verb, const MessageRef& about) {
    try {
        EncodeBody(message, body);
    } catch (const std::exception& e) {
        PostError(driver_error::kSendFailed,
                  std::string(verb) + ", the body cannot be encoded (" + e.what() +
                      "): " + message.Name(),
                  about);
        return false;
    }
    if (body.size() > MaxMessageSize()) {
        PostError(driver_error::kSendFailed,
                  std::string(verb) + ", the body of " + std::to_string(body.size()) +
                      " bytes exceeds the maximum of " + std::to_string(MaxMessageSize()) + ": " +
                      message.Name(),
                  about);
        return false;
    }
    return true;
}

void VortelTool::Transmit(const MessageHeader& header, const SecsMessage& message,
                          std::vector<std::uint8_t> body, std::string_view remark) {
    log_.Message(LogDirection::Sent, header, &message, body, remark);
    sent_.Add(header);
    transport_->Send(header, std::move(body));
}

void VortelTool::OpenTransaction(const std::shared_ptr<SecsTransaction>& transaction,
                                 std::uint32_t system_bytes, int retries, bool started) {
    bool later = !started && transport_ && transport_->ReportsSent();
    auto deadline = later ? OpenTransactions::TimePoint::max()
                          : std::chrono::steady_clock::now() + Timer(ProtocolTimer::T3);
    open_.Open(system_bytes, OpenTransactions::Entry{transaction, deadline, retries});
    if (!later) ArmT3(deadline);
}

void VortelTool::ArmT3(OpenTransactions::TimePoint deadline) {
    // T3 is the same for every message, so the armed expiry is almost always the earliest.
    if (t3_armed_ && t3_expiry_ <= deadline) return;
    t3_armed_ = true;
    t3_expiry_ = deadline;
    t3_timer_.expires_at(deadline);
    t3_timer_.async_wait(
        [weak = weak_from_this(), generation = ++t3_generation_](const std::error_code& ec) {
            auto self = weak.lock();
            if (!self || ec || generation != self->t3_generation_) return;
            self->OnT3();
        });
}

void VortelTool::OnT3() {
    auto self = shared_from_this();
    t3_armed_ = false;
    for (auto& [system_bytes, entry] : open_.TakeExpired(std::chrono::steady_clock::now())) {
        std::string name = entry.transaction->Primary().Name();
        if (entry.retries_left > 0 && IsSelected() && Resend(system_bytes, entry)) continue;
        log_.Note("No reply within T3 to " + name + " SystemBytes=" + std::to_string(system_bytes));
        RaiseError(driver_error::kReplyTimeout,
                   "Reply time-out T3 (" + DurationText(Timer(ProtocolTimer::T3)) +
                       ") waiting for the reply to " + name,
                   Ref(entry.transaction->Primary(), system_bytes));
    }
    if (auto next = open_.EarliestDeadline()) ArmT3(*next);
}

bool VortelTool::Resend(std::uint32_t system_bytes, OpenTransactions::Entry entry) {
    const SecsMessage& primary = entry.transaction->Primary();
    std::vector<std::uint8_t> body;
    if (!Encode(primary, body, "Send failed", Ref(primary, system_bytes))) return false;
    MessageHeader header{static_cast<std::uint16_t>(entry.transaction->DeviceID()),
                         primary.Stream(), primary.Function(), true, system_bytes};
    --entry.retries_left;
    std::string remark =
        "sent again after T3, " + std::to_string(entry.retries_left) + " more time(s) allowed";
    OpenTransaction(entry.transaction, system_bytes, entry.retries_left);
    Transmit(header, primary, std::move(body), remark);
    return true;
}

void VortelTool::AbandonOpen(const std::string& why) {
    for (auto& [system_bytes, entry] : open_.TakeAll()) {
        log_.Note("Stopped waiting for the reply to " + entry.transaction->Primary().Name() +
                  " SystemBytes=" + std::to_string(system_bytes) + ": " + why);
    }
}

void VortelTool::MessageReceived(const MessageHeader& header, std::span<const std::uint8_t> body) {
    auto self = shared_from_this();
    if (header.function % 2 == 1) {
        ReceivePrimary(header, body);
    } else {
        ReceiveSecondary(header, body);
    }
}

void VortelTool::ReceivePrimary(const MessageHeader& header, std::span<const std::uint8_t> body) {
    SecsMessage primary(header.stream, header.function, header.reply_expected);
    std::string error;
    bool decoded = Decode(body, primary, error);
    auto transaction = std::make_shared<SecsTransaction>(
        std::weak_ptr<TransactionSender>(shared_from_this()), header.device_id, std::move(primary),
        ReplyShell(header.stream, header.function));
    transaction->SetSystemBytes(header.system_bytes);
    transaction->MarkReceived();
    log_.Message(LogDirection::Received, header, decoded ? &transaction->Primary() : nullptr, body,
                 error);
    if (auto events = events_.lock()) {
        events->ReceivedPrimary(transaction, decoded ? 0 : driver_error::kUndecodableBody, error);
    }
}

void VortelTool::ReceiveSecondary(const MessageHeader& header, std::span<const std::uint8_t> body) {
    SecsMessage secondary(header.stream, header.function, header.reply_expected);
    std::string error;
    bool decoded = Decode(body, secondary, error);
    const auto* entry = open_.Find(header.system_bytes);
    if (!entry || (CheckReplyStream() && !ReplyFits(entry->transaction->Primary(), header))) {
        std::string why = entry ? "reply that does not fit " + entry->transaction->Primary().Name()
                                : "reply nobody waits for";
        log_.Message(LogDirection::Received, header, decoded ? &secondary : nullptr, body,
                     why + ", dropped" + (decoded ? "" : "; " + error));
        return;
    }
    auto transaction = open_.Take(header.system_bytes)->transaction;
    transaction->Secondary() = std::move(secondary);
    log_.Message(LogDirection::Received, header, decoded ? &transaction->Secondary() : nullptr,
                 body, error);
    if (auto events = events_.lock()) {
        events->ReceivedSecondary(transaction, decoded ? 0 : driver_error::kUndecodableBody, error);
    }
}

bool VortelTool::Decode(std::span<const std::uint8_t> body, SecsMessage& message,
                        std::string& error) {
    DecodeLimits limits;
    limits.max_message_size = MaxMessageSize();
    try {
        DecodeBody(body, message, limits);
        return true;
    } catch (const SecsCodecError& e) {
        error = std::string("Undecodable body (") + e.what() + " at byte " +
                std::to_string(e.Offset()) + "): " + message.Name();
    } catch (const std::exception& e) {
        error = std::string("Undecodable body (") + e.what() + "): " + message.Name();
    }
    message.RootItem().Clear();
    return false;
}

SecsMessage VortelTool::ReplyShell(int stream, int function) const {
    // Function 255 has no reply function; the control can still answer it with function 0.
    if (function >= 255) return SecsMessage(stream, 0);
    try {
        return Dictionary().ReplyShell(stream, function);
    } catch (const std::exception&) {
        return SecsMessage(stream, function + 1);
    }
}

void VortelTool::MessageRejected(std::uint32_t system_bytes, const std::string& reason) {
    auto self = shared_from_this();
    auto entry = open_.Take(system_bytes);
    std::optional<MessageRef> about;
    if (entry) {
        about = Ref(entry->transaction->Primary(), system_bytes);
    } else if (auto header = sent_.Find(system_bytes)) {
        about = Ref(*header);
    }
    if (!about) {
        log_.Note("Reject.req for SystemBytes=" + std::to_string(system_bytes) +
                  ", which names no message sent recently: " + reason);
        return;
    }
    RaiseError(driver_error::kSendFailed,
               "Send failed, rejected by the remote entity (" + reason +
                   "): " + MessageName(about->stream, about->function),
               *about);
}

}  // namespace kest
