#include "support/fake_driver.h"

#include <gtest/gtest.h>

namespace kest::test {

std::shared_ptr<SecsTransaction> FakeDriver::CreateTransaction(std::string_view name) {
    return std::make_shared<SecsTransaction>(weak_from_this(), DeviceID(),
                                             dictionary_.NewPrimary(name));
}

std::shared_ptr<SecsTransaction> FakeDriver::CreateTransaction() {
    return std::make_shared<SecsTransaction>(weak_from_this(), DeviceID(), SecsMessage());
}

bool FakeDriver::SendPrimary(const std::shared_ptr<SecsTransaction>& transaction) {
    if (!accept_sends) return false;
    sent.push_back(transaction);
    return true;
}

bool FakeDriver::SendReply(SecsTransaction& transaction) {
    if (!accept_sends) return false;
    replies.push_back(transaction.Secondary());
    return true;
}

std::vector<std::string> FakeDriver::SentNames() const {
    std::vector<std::string> names;
    for (const auto& t : sent)
        names.push_back(t->Primary().Name());
    return names;
}

std::shared_ptr<SecsTransaction> FakeDriver::LastSent() const {
    EXPECT_FALSE(sent.empty()) << "nothing was sent";
    return sent.empty() ? nullptr : sent.back();
}

void FakeDriver::RaiseConnect() {
    if (auto e = Events()) e->Connect();
}

void FakeDriver::RaiseDisconnect(int code, const std::string& text) {
    if (auto e = Events()) e->Disconnect(code, text);
}

void FakeDriver::RaiseError(int code, const std::string& text, int line) {
    if (auto e = Events()) {
        DriverError error;
        error.code = code;
        error.text = text;
        error.line = line;
        // The real driver names the message concerned; the text ends with it for 2012/2015.
        if (std::size_t s = text.rfind('S');
            s != std::string::npos && (code == 2012 || code == 2015)) {
            error.message_name = text.substr(s);
            std::size_t f = error.message_name.find('F');
            if (f != std::string::npos) {
                error.stream = std::atoi(error.message_name.substr(1, f - 1).c_str());
                error.function = std::atoi(error.message_name.substr(f + 1).c_str());
            }
        }
        e->Error(error);
    }
}

std::shared_ptr<SecsTransaction> FakeDriver::InjectPrimary(SecsMessage primary, int device_id,
                                                           int error_code) {
    SecsMessage shell = dictionary_.ReplyShell(primary.Stream(), primary.Function());
    auto trans = std::make_shared<SecsTransaction>(weak_from_this(), device_id, std::move(primary),
                                                   std::move(shell));
    trans->MarkReceived();
    if (auto e = Events()) e->ReceivedPrimary(trans, error_code, error_code ? "bad body" : "");
    return trans;
}

void FakeDriver::InjectReply(const std::shared_ptr<SecsTransaction>& sent_trans, SecsMessage reply,
                             int error_code) {
    sent_trans->Secondary() = std::move(reply);
    if (auto e = Events()) e->ReceivedSecondary(sent_trans, error_code, error_code ? "bad" : "");
}

}  // namespace kest::test
