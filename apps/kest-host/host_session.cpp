#include "host_session.h"

#include "base/clock.h"
#include "secs/build.h"
#include "secs/sml.h"
#include "secs/sml_pattern.h"

namespace kest::host {

namespace {
constexpr std::size_t kKeptPrimaries = 1000;  // a bound for a host nobody reads from
}  // namespace

HostSession::HostSession(asio::io_context& io, SessionOptions options, std::ostream& out)
    : io_(io), options_(std::move(options)), out_(out) {}

void HostSession::Say(const std::string& text) {
    if (!options_.quiet) out_ << text << std::endl;
}

bool HostSession::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds within) {
    auto deadline = std::chrono::steady_clock::now() + within;
    while (!done()) {
        auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return false;
        io_.restart();
        io_.run_one_for(std::chrono::duration_cast<std::chrono::milliseconds>(left) +
                        std::chrono::milliseconds(1));
    }
    return true;
}

bool HostSession::Open() {
    if (!driver_) {
        driver_ = VortelTool::Create(io_.get_executor());
        driver_->SetEvents(weak_from_this());
    }
    driver_->SetDeviceID(options_.device_id);
    driver_->SetConnectionMode(options_.active ? enmConnectionMode::ConnectionModeActive
                                               : enmConnectionMode::ConnectionModePassive);
    if (options_.active) {
        driver_->SetRemoteIPAddress(options_.address);
        driver_->SetRemoteIPPort(options_.port);
    } else {
        driver_->SetLocalIPAddress(options_.address);
        driver_->SetLocalIPPort(options_.port);
    }
    // The host is the slave of SECS-I: it gives way on contention and sends no R-bit.
    driver_->SetHostRole(true);
    if (!options_.secs1_device.empty()) {
        driver_->SetPortType(enmPortType::PortTypeRS232);
        driver_->SetNetworkPort(false);
        driver_->SetSerialPort(options_.secs1_device);
    } else if (options_.secs1_tcp) {
        driver_->SetPortType(enmPortType::PortTypeTCPIP);
    }
    driver_->SetT3(options_.t3_seconds);
    // Retry a refused connect soon: a host started beside its equipment may be a little early.
    driver_->SetTimer(ProtocolTimer::T5, std::chrono::milliseconds(100));
    driver_->SetSECSIILogFile(options_.log_file);
    driver_->SetLogEnabled(!options_.log_file.empty());
    driver_->OpenPort();
    if (!RunUntil([&] { return connected_; }, options_.timeout)) {
        out_ << "! not connected within " << options_.timeout.count() << " ms" << std::endl;
        return false;
    }
    return true;
}

void HostSession::Close() {
    if (!driver_) return;
    driver_->ClosePort();
    RunUntil([&] { return !connected_; }, std::chrono::milliseconds(1000));
}

bool HostSession::Establish() {
    auto reply = Send(SecsMessage(1, 13, true, build::L()));
    std::string why;
    if (!reply || !MatchMessage(*reply, ParseSmlMessage("S1F14 <L <B 0> <V>>"), &why)) {
        out_ << "! communication not established" << (why.empty() ? "" : ": " + why) << std::endl;
        return false;
    }
    return true;
}

std::optional<SecsMessage> HostSession::Send(const SecsMessage& primary) {
    if (!driver_ || !connected_) {
        out_ << "! not connected: " << primary.Name() << " not sent" << std::endl;
        return std::nullopt;
    }
    auto trans = driver_->CreateTransaction();
    trans->Primary() = primary;
    Say("-> " + ToSmlLine(primary));
    waiting_ = primary.ReplyExpected() ? trans : nullptr;
    reply_arrived_ = false;
    if (!trans->Send()) {
        waiting_.reset();
        out_ << "! " << primary.Name() << " could not be sent" << std::endl;
        return std::nullopt;
    }
    if (!primary.ReplyExpected()) return SecsMessage();
    bool arrived = RunUntil([&] { return reply_arrived_ || !connected_; },
                            std::chrono::seconds(options_.t3_seconds) + options_.timeout);
    waiting_.reset();
    if (!arrived || !reply_arrived_) {
        out_ << "! no reply to " << primary.Name() << std::endl;
        return std::nullopt;
    }
    return trans->Secondary();
}

std::optional<SecsMessage> HostSession::Await(const SecsMessage& pattern,
                                              std::chrono::milliseconds within) {
    std::optional<SecsMessage> found;
    auto take = [&] {
        for (auto it = received_.begin(); it != received_.end(); ++it) {
            if (MatchMessage(*it, pattern)) {
                found = *it;
                received_.erase(it);
                return true;
            }
        }
        return false;
    };
    if (!RunUntil(take, within)) {
        out_ << "! no " << ToSmlLine(pattern) << " within " << within.count() << " ms" << std::endl;
    }
    return found;
}

bool HostSession::Absent(const SecsMessage& pattern) {
    for (const SecsMessage& message : received_) {
        if (MatchMessage(message, pattern)) {
            out_ << "! unexpected " << message.Name()
                 << (message.BodyCount() > 0 ? " " + ToSmlLine(message.Item(1)) : "") << std::endl;
            return false;
        }
    }
    return true;
}

void HostSession::SetAnswer(int stream, int function, SecsMessage reply) {
    answers_[{stream, function}] = std::move(reply);
}

void HostSession::Pause(std::chrono::milliseconds duration) {
    RunUntil([] { return false; }, duration);
}

SecsMessage HostSession::AnswerFor(const SecsMessage& primary) const {
    auto it = answers_.find({primary.Stream(), primary.Function()});
    if (it != answers_.end()) return it->second;
    switch (primary.Stream() * 1000 + primary.Function()) {
        case 1013:  // the host's S1F14 carries no model or revision
            return SecsMessage(1, 14, false, build::L(build::B({0}), build::L()));
        case 1001:
            return SecsMessage(1, 2, false, build::L());
        case 2017:
            return SecsMessage(
                2, 18, false,
                build::A(FormatLocal(std::chrono::system_clock::now(), "yymmddhhnnss")));
        default:
            return driver_->Dictionary().ReplyShell(primary.Stream(), primary.Function());
    }
}

void HostSession::Connect() {
    connected_ = true;
    Say("== selected");
}

void HostSession::Disconnect(int error_code, const std::string& error_text) {
    connected_ = false;
    Say("== disconnected (" + std::to_string(error_code) + " " + error_text + ")");
}

void HostSession::ReceivedPrimary(std::shared_ptr<SecsTransaction> trans, int error_code,
                                  const std::string& error_text) {
    if (error_code != 0) {
        out_ << "! bad primary (" << error_code << " " << error_text << ")" << std::endl;
        return;
    }
    const SecsMessage& primary = trans->Primary();
    Say("<- " + ToSmlLine(primary));
    if (primary.ReplyExpected()) {
        SecsMessage answer = AnswerFor(primary);
        trans->Secondary() = answer;
        trans->Secondary().SetReplyExpected(false);
        Say("-> " + ToSmlLine(trans->Secondary()));
        trans->Reply();
    }
    received_.push_back(primary);
    if (received_.size() > kKeptPrimaries) received_.pop_front();
}

void HostSession::ReceivedSecondary(std::shared_ptr<SecsTransaction> trans, int error_code,
                                    const std::string& error_text) {
    if (error_code != 0) {
        out_ << "! bad reply (" << error_code << " " << error_text << ")" << std::endl;
    } else {
        Say("<- " + ToSmlLine(trans->Secondary()));
    }
    if (trans == waiting_) reply_arrived_ = error_code == 0;
}

void HostSession::Error(const DriverError& error) {
    out_ << "! driver error " << error.code << ": " << error.text << std::endl;
}

}  // namespace kest::host
