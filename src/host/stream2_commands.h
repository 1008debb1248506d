#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

/// S2F21 remote command send: CMDA 2 unless on-line remote; 1 for an RCMD that
/// RemoteCommand_RCMD lacks or lists with parameters; otherwise the RCMD goes to the remote-command
/// queue and CMDA is the code configured in secsgem_equip_to_host (S2F42,
/// HCACK_NeedReply_To_Host), also when the queue cannot take it. S9F7 for an RCMD that is not A.
void ReplyS2F21(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F41 host command send: checks the message (S9F11 for a wrong list length, S9F7 for a wrong
/// item), turns it into a `KestCommand` with its parameters, registers it and raises
/// `CommandNotification`; the application answers with `ReplyCommand` (S2F42).
void ReplyS2F41(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S2F49 enhanced remote command: as S2F41 with OBJSPEC; a list-valued CEPVAL becomes one input
/// whose value joins the list's values with "," ("TypeA"), any other a plain input
/// ("TypeDefault"). Answered by `ReplyCommand` with S2F50.
void ReplyS2F49(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
