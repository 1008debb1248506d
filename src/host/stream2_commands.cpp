#include "host/stream2_commands.h"

#include "base/text.h"
#include "core/gem_context.h"
#include "core/state_model.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/message_checks.h"
#include "host/stream9_senders.h"
#include "queue/queue_store.h"
#include "secs/build.h"

namespace kest {

namespace {

// What a malformed command is answered with.
enum class Fault { None, S9F7, S9F11 };

bool IsText(const SecsItem& item) {
    return item.Format() == enmItemFormat::FormatAscii && item.Count() > 0;
}

// A parameter value as the application reads it: the value of a single value, or the values
// joined with "," for an array.
Variant ParameterValue(const SecsItem& item) {
    if (item.IsList()) return {};
    if (IsTextFormat(item.Format()) || item.Count() == 1) return item.Value();
    return Variant(item.ToText());
}

// One {CPNAME, CPVAL} pair; `value` is filled for the caller to interpret.
Fault ReadPair(const SecsItem& pair, std::string& name, const SecsItem*& value) {
    if (!pair.IsList() || pair.Count() != 2) return Fault::S9F11;
    if (!IsText(pair.Item(1))) return Fault::S9F7;
    name = std::string(Trim(pair.Item(1).Text()));
    value = &pair.Item(2);
    return Fault::None;
}

std::shared_ptr<KestCommand> NewCommand(GemContext& control,
                                        const std::shared_ptr<SecsTransaction>& trans) {
    auto command = std::make_shared<KestCommand>(control.NewTID());
    command->SetTransaction(trans);
    command->SetCountdown(control.GEMTimeout());
    return command;
}

bool Refuse(GemContext& control, const SecsTransaction& trans, Fault fault) {
    if (fault == Fault::S9F7) SendS9F7(control, trans);
    if (fault == Fault::S9F11) SendS9F11(control, trans);
    return fault != Fault::None;
}

void Raise(GemContext& control, const std::shared_ptr<KestCommand>& command) {
    control.AddCommand(command);
    control.FireCommand(*command);
}

Fault ReadS2F41(const SecsItem& body, KestCommand& command) {
    if (!body.IsList()) return Fault::S9F7;
    if (body.Count() != 2) return Fault::S9F11;
    if (!IsText(body.Item(1)) || Trim(body.Item(1).Text()).empty()) return Fault::S9F7;
    if (!body.Item(2).IsList()) return Fault::S9F7;
    command.IsEnhanced = false;
    command.RCMD = std::string(Trim(body.Item(1).Text()));
    for (const SecsItem& pair : body.Item(2)) {
        std::string name;
        const SecsItem* value = nullptr;
        if (Fault f = ReadPair(pair, name, value); f != Fault::None) return f;
        command.Inputs().push_back({name, value->Format(), ParameterValue(*value), 0});
    }
    return Fault::None;
}

Fault ReadEnhancedValue(const std::string& name, const SecsItem& value, KestCommand& command) {
    if (!value.IsList()) {
        command.S2F49type = "TypeDefault";
        command.Inputs().push_back({name, value.Format(), ParameterValue(value), 0});
        return Fault::None;
    }
    if (value.Count() == 0) return Fault::S9F7;
    enmItemFormat format = value.Item(1).Format();
    std::string joined;
    for (const SecsItem& element : value) {
        if (element.Format() != format || element.IsList()) return Fault::S9F7;
        if (!joined.empty()) joined += ',';
        joined += element.ToText();
    }
    command.S2F49type = "TypeA";
    command.Inputs().push_back({name, format, Variant(joined), 0});
    return Fault::None;
}

Fault ReadS2F49(const SecsItem& body, KestCommand& command) {
    if (!body.IsList()) return Fault::S9F7;
    if (body.Count() != 4) return Fault::S9F11;
    if (body.Item(2).Format() != enmItemFormat::FormatAscii || !IsText(body.Item(3))) {
        return Fault::S9F7;
    }
    if (!body.Item(4).IsList()) return Fault::S9F7;
    command.IsEnhanced = true;
    command.OBJSPEC = std::string(Trim(body.Item(2).Text()));
    command.RCMD = std::string(Trim(body.Item(3).Text()));
    for (const SecsItem& pair : body.Item(4)) {
        std::string name;
        const SecsItem* value = nullptr;
        if (Fault f = ReadPair(pair, name, value); f != Fault::None) return f;
        if (Fault f = ReadEnhancedValue(name, *value, command); f != Fault::None) return f;
    }
    return Fault::None;
}

// CMDA of S2F21: 2 unless on-line remote; 1 for a command that is unknown or takes parameters;
// otherwise the command goes to the equipment software's queue and the configured code answers.
std::uint8_t RemoteCommandAck(GemContext& control, std::string_view rcmd) {
    if (control.State().Control() != GEM_CONTROLSTATE::ONLINE_REMOTE) return 2;
    GEMDB& db = control.Db();
    if (db.ReadFromDB(rcmd).empty() || db.ReadTotalCPNames(rcmd) != "0") return 1;
    control.SendMsg(rcmd, kRemoteCommandQueuePath);
    return Variant(db.readfrommysqlgen("secsgem_equip_to_host", "S2F42", "HCACK_NeedReply_To_Host"))
        .ToByte();
}

}  // namespace

void ReplyS2F21(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    const SecsItem& rcmd = trans->Primary().Item(1);
    if (rcmd.IsList() || rcmd.Format() != enmItemFormat::FormatAscii) {
        SendS9F7(control, *trans);
        return;
    }
    const std::uint8_t cmda = RemoteCommandAck(control, rcmd.Text());
    if (!trans->ReplyExpected()) return;
    SetReplyBody(*trans, build::U1(cmda));
    trans->Reply();
}

void ReplyS2F41(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    auto command = NewCommand(control, trans);
    if (Refuse(control, *trans, ReadS2F41(trans->Primary().Item(1), *command))) return;
    Raise(control, command);
}

void ReplyS2F49(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    auto command = NewCommand(control, trans);
    if (Refuse(control, *trans, ReadS2F49(trans->Primary().Item(1), *command))) return;
    Raise(control, command);
}

}  // namespace kest
