#pragma once

#include <memory>
#include <string>
#include <vector>

#include "driver/secs_driver.h"
#include "secs/dictionary.h"

namespace kest::test {

/// A driver for tests of the GEM layer: it records what the control sends, and lets a test
/// inject the driver's events (primaries from the host, replies, connects, errors). Events are
/// raised synchronously, inside the injecting call.
class FakeDriver final : public SecsDriver,
                         public TransactionSender,
                         public std::enable_shared_from_this<FakeDriver> {
  public:
    explicit FakeDriver(const MessageDictionary& dictionary = MessageDictionary::Default())
        : dictionary_(dictionary) {}

    // SecsDriver
    void SetEvents(std::weak_ptr<SecsDriverEvents> events) override { events_ = events; }
    std::shared_ptr<SecsTransaction> CreateTransaction(std::string_view name) override;
    std::shared_ptr<SecsTransaction> CreateTransaction() override;
    void OpenPort() override { ++open_calls; }
    void ClosePort() override { ++close_calls; }
    void LoadDictionary() override { ++load_dictionary_calls; }

    // TransactionSender
    bool SendPrimary(const std::shared_ptr<SecsTransaction>& transaction) override;
    bool SendReply(SecsTransaction& transaction) override;

    // What the control did.
    std::vector<std::shared_ptr<SecsTransaction>> sent;  ///< primaries handed to Send
    std::vector<SecsMessage> replies;                    ///< secondaries handed to Reply
    int open_calls = 0;
    int close_calls = 0;
    int load_dictionary_calls = 0;
    /// Send and Reply succeed while true.
    bool accept_sends = true;

    /// The primaries sent, as "S1F13" names.
    std::vector<std::string> SentNames() const;
    /// The last primary sent (fails the test when none).
    std::shared_ptr<SecsTransaction> LastSent() const;

    // Events as the real driver raises them.
    void RaiseConnect();
    void RaiseDisconnect(int code = 3002, const std::string& text = "closed by the remote entity");
    void RaiseError(int code, const std::string& text, int line = 0);
    /// A primary from the host, with its reply shell from the dictionary; returns the
    /// transaction the control received.
    std::shared_ptr<SecsTransaction> InjectPrimary(SecsMessage primary, int device_id = 0,
                                                   int error_code = 0);
    /// The host's reply to `sent` (a transaction the control sent).
    void InjectReply(const std::shared_ptr<SecsTransaction>& sent, SecsMessage reply,
                     int error_code = 0);

  private:
    std::shared_ptr<SecsDriverEvents> Events() const { return events_.lock(); }

    const MessageDictionary& dictionary_;
    std::weak_ptr<SecsDriverEvents> events_;
};

}  // namespace kest::test
