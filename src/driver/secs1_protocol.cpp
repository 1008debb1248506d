#include "driver/secs1_protocol.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "driver/driver_errors.h"

namespace kest {

using secs1::BlockReader;

namespace {

std::string ByteText(std::uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

}  // namespace

Secs1Protocol::Secs1Protocol(Secs1Settings settings, Secs1Link& link, SteadyNow now)
    : settings_(settings), link_(link), now_(std::move(now)) {}

void Secs1Protocol::Send(const MessageHeader& header, std::span<const std::uint8_t> body) {
    std::size_t blocks = (body.size() + secs1::kMaxBlockData - 1) / secs1::kMaxBlockData;
    if (body.size() > settings_.max_body_size || blocks > secs1::kMaxBlockNumber) {
        link_.SendFailed(
            header, driver_error::kSendFailed,
            "the body of " + std::to_string(body.size()) + " bytes is too large for SECS-I");
        return;
    }
    // The equipment's blocks carry the R-bit, the host's do not.
    outgoing_.push_back({header, secs1::SplitMessage(header, !settings_.host_role, body), 0});
    StartSending();
}

void Secs1Protocol::Received(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes)
        Byte(byte);
}

void Secs1Protocol::Byte(std::uint8_t byte) {
    switch (state_) {
        case State::Idle:
            IdleByte(byte);
            break;
        case State::EnqSent:
            EnqSentByte(byte);
            break;
        case State::BlockSent:
            BlockSentByte(byte);
            break;
        case State::EotSent:
        case State::Receiving:
            BlockByte(byte);
            break;
        case State::Discarding:
            Wait(settings_.t1);  // the line must be quiet for T1 before NAK
            break;
    }
}

void Secs1Protocol::IdleByte(std::uint8_t byte) {
    if (byte == secs1::kEnq) {
        link_.Trace(LogDirection::Received, "ENQ");
        ReceiveBlock();
    } else {
        link_.Trace(LogDirection::Received, ByteText(byte) + " ignored, the line is idle");
    }
}

void Secs1Protocol::EnqSentByte(std::uint8_t byte) {
    if (byte == secs1::kEot) {
        link_.Trace(LogDirection::Received, "EOT");
        const auto& message = outgoing_.front();
        const auto& block = message.blocks[message.next];
        auto bytes = secs1::EncodeBlock(block);
        link_.Write(bytes);
        link_.Trace(LogDirection::Sent,
                    "Block " + secs1::DescribeBlock(block.header, block.data.size()));
        state_ = State::BlockSent;
        Wait(settings_.t2);
    } else if (byte == secs1::kEnq) {
        if (settings_.host_role) {
            link_.Trace(LogDirection::Received, "ENQ: contention, the host gives way");
            ReceiveBlock();  // our ENQ goes out again once the block is in
        } else {
            link_.Trace(LogDirection::Received, "ENQ: contention, the equipment keeps the line");
        }
    } else {
        link_.Trace(LogDirection::Received, ByteText(byte) + " ignored while waiting for EOT");
    }
}

void Secs1Protocol::BlockSentByte(std::uint8_t byte) {
    if (byte == secs1::kAck) {
        link_.Trace(LogDirection::Received, "ACK");
        BlockDone();
    } else {
        Retry(byte == secs1::kNak ? "NAK" : ByteText(byte) + " instead of ACK");
    }
}

void Secs1Protocol::BlockByte(std::uint8_t byte) {
    switch (reader_.Push(byte)) {
        case BlockReader::Status::More:
            state_ = State::Receiving;
            Wait(settings_.t1);
            break;
        case BlockReader::Status::Complete:
            EndReceive(secs1::kAck, "ACK");
            break;
        case BlockReader::Status::BadLength:
            link_.Trace(LogDirection::Received, "Length byte " + ByteText(byte) + " out of range");
            state_ = State::Discarding;
            Wait(settings_.t1);
            break;
        case BlockReader::Status::BadChecksum:
            link_.Trace(LogDirection::Received, "Checksum wrong");
            state_ = State::Discarding;
            Wait(settings_.t1);
            break;
    }
}

void Secs1Protocol::Expired(Secs1Timer timer) {
    if (timer == Secs1Timer::InterBlock) {
        auto now = now_();
        for (auto it = incoming_.begin(); it != incoming_.end();) {
            auto current = it++;
            if (current->second.deadline <= now) {
                Drop(current, driver_error::kInterCharacterTimeout,
                     "T4 expired before block " + std::to_string(current->second.last_block + 1));
            }
        }
        ArmInterBlock();
        return;
    }
    switch (state_) {
        case State::EnqSent:
            Retry("T2 expired waiting for EOT");
            break;
        case State::BlockSent:
            Retry("T2 expired waiting for ACK");
            break;
        case State::EotSent:
            link_.Trace(LogDirection::Received, "T2 expired waiting for the length byte");
            EndReceive(secs1::kNak, "NAK");
            break;
        case State::Receiving:
            link_.Trace(LogDirection::Received, "T1 expired inside a block");
            EndReceive(secs1::kNak, "NAK");
            break;
        case State::Discarding:
            EndReceive(secs1::kNak, "NAK");
            break;
        case State::Idle:
            break;
    }
}

std::vector<MessageHeader> Secs1Protocol::Unsent() const {
    std::vector<MessageHeader> headers;
    for (const auto& message : outgoing_)
        headers.push_back(message.header);
    return headers;
}

void Secs1Protocol::StartSending() {
    if (state_ != State::Idle || outgoing_.empty()) return;
    SendControl(secs1::kEnq, "ENQ");
    state_ = State::EnqSent;
    Wait(settings_.t2);
}

void Secs1Protocol::SendControl(std::uint8_t control, const char* name) {
    link_.Write(std::span(&control, 1));
    link_.Trace(LogDirection::Sent, name);
}

void Secs1Protocol::ReceiveBlock() {
    SendControl(secs1::kEot, "EOT");
    reader_.Reset();
    state_ = State::EotSent;
    Wait(settings_.t2);
}

void Secs1Protocol::Retry(const std::string& why) {
    link_.StopTimer(Secs1Timer::Line);
    state_ = State::Idle;
    if (++retries_ > settings_.retry_limit) {
        retries_ = 0;
        Outgoing failed = std::move(outgoing_.front());
        outgoing_.pop_front();
        link_.Trace(LogDirection::Sent,
                    why + ": retry limit " + std::to_string(settings_.retry_limit) + " reached");
        link_.SendFailed(failed.header, driver_error::kControlTimeout,
                         "SECS-I retry limit " + std::to_string(settings_.retry_limit) +
                             " reached (" + why + ")");
    } else {
        link_.Trace(LogDirection::Sent, why + ": retry " + std::to_string(retries_));
    }
    StartSending();
}

void Secs1Protocol::BlockDone() {
    link_.StopTimer(Secs1Timer::Line);
    state_ = State::Idle;
    retries_ = 0;
    auto& message = outgoing_.front();
    if (++message.next == message.blocks.size()) {
        MessageHeader header = message.header;
        outgoing_.pop_front();
        link_.MessageSent(header);
    }
    StartSending();
}

void Secs1Protocol::EndReceive(std::uint8_t answer, const char* name) {
    link_.StopTimer(Secs1Timer::Line);
    SendControl(answer, name);
    state_ = State::Idle;
    if (answer == secs1::kAck) Accept(reader_.Take());
    reader_.Reset();
    StartSending();
}

void Secs1Protocol::Accept(const secs1::Block& block) {
    const auto& header = block.header;
    link_.Trace(LogDirection::Received, "Block " + secs1::DescribeBlock(header, block.data.size()));
    // Blocks from the equipment carry the R-bit; the host expects exactly those.
    if (header.device_id != settings_.device_id || header.r_bit != settings_.host_role) {
        link_.Trace(LogDirection::Received, "Block ignored: header for another device");
        return;
    }
    if (last_accepted_ == header) {
        link_.Trace(LogDirection::Received, "Block ignored: duplicate");
        return;
    }
    last_accepted_ = header;
    auto it = incoming_.find(header.system_bytes);
    bool first = header.block_number <= 1;
    if (it != incoming_.end() && first) {
        Drop(it, driver_error::kProtocolError, "a new message started with the same system bytes");
        it = incoming_.end();
    }
    if (it == incoming_.end()) {
        if (!first) {
            link_.ReceiveFailed(driver_error::kProtocolError,
                                "SECS-I block " + std::to_string(header.block_number) +
                                    " of a message whose first block never came: " +
                                    secs1::DescribeBlock(header, block.data.size()));
            return;
        }
        it = incoming_.emplace(header.system_bytes, Incoming{header, {}, header.block_number, {}})
                 .first;
    } else {
        const auto& first_header = it->second.first;
        if (header.block_number != it->second.last_block + 1 ||
            header.stream != first_header.stream || header.function != first_header.function) {
            Drop(it, driver_error::kProtocolError,
                 "block " + std::to_string(header.block_number) + " came after block " +
                     std::to_string(it->second.last_block));
            return;
        }
        it->second.last_block = header.block_number;
    }
    auto& message = it->second;
    if (message.body.size() + block.data.size() > settings_.max_body_size) {
        Drop(it, driver_error::kProtocolError, "the message passed the maximum size");
        return;
    }
    message.body.insert(message.body.end(), block.data.begin(), block.data.end());
    if (!header.e_bit) {
        message.deadline = now_() + settings_.t4;
        ArmInterBlock();
        return;
    }
    Incoming complete = std::move(message);
    incoming_.erase(it);
    ArmInterBlock();
    link_.MessageArrived(secs1::ToMessageHeader(complete.first), complete.body);
}

void Secs1Protocol::Drop(std::map<std::uint32_t, Incoming>::iterator it, int code,
                         const std::string& why) {
    const auto& first = it->second.first;
    std::string text = "SECS-I message S" + std::to_string(first.stream) + "F" +
                       std::to_string(first.function) +
                       " SystemBytes=" + SystemBytesText(first.system_bytes) + " lost: " + why;
    incoming_.erase(it);
    link_.Trace(LogDirection::Received, text);
    link_.ReceiveFailed(code, text);
}

void Secs1Protocol::ArmInterBlock() {
    if (incoming_.empty()) {
        link_.StopTimer(Secs1Timer::InterBlock);
        return;
    }
    auto earliest = std::min_element(incoming_.begin(), incoming_.end(), [](auto& a, auto& b) {
                        return a.second.deadline < b.second.deadline;
                    })->second.deadline;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(earliest - now_());
    link_.StartTimer(Secs1Timer::InterBlock, std::max(left, std::chrono::milliseconds(0)));
}

}  // namespace kest
