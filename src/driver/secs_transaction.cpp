#include "driver/secs_transaction.h"

namespace kest {

SecsTransaction::SecsTransaction(std::weak_ptr<TransactionSender> sender, int device_id,
                                 SecsMessage primary, SecsMessage secondary)
    : sender_(std::move(sender)),
      device_id_(device_id),
      primary_(std::move(primary)),
      secondary_(std::move(secondary)) {}

bool SecsTransaction::Send() {
    auto sender = sender_.lock();
    if (!sender) return false;
    return sender->SendPrimary(shared_from_this());
}

bool SecsTransaction::Reply() {
    // The abort reply and every handler call this whatever the W-bit; without it nothing is owed.
    if (!ReplyExpected()) return true;
    auto sender = sender_.lock();
    if (!sender) return false;
    return sender->SendReply(*this);
}

}  // namespace kest
