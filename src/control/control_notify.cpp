// The control's notification routines and the remote-command hand-back.
#include "control/control_core.h"
#include "driver/secs_transaction.h"
#include "notify/append_file.h"
#include "notify/log_lines.h"
#include "notify/service_log.h"
#include "secs/build.h"

namespace kest {

void ControlCore::TriggerError(const std::string& source, int code, const std::string& text,
                               int line) {
    KestError error{source, code, text, line};
    // A log that cannot be written must not hide the error from the application.
    TryTrapped(nullptr, source, [&] { WriteLog(ErrorLogLine(error)); });
    last_error_ = error;
    ++raising_error_;
    notifier_.RaiseError(error);
    --raising_error_;
}

void ControlCore::ReplyMethod(const KestMethod& method) {
    RunTrapped(this, "KestServer:ReplyMethod", [&] {
        if (actions_.Remove(std::to_string(method.TID))) notifier_.RaiseMethod(method);
        WriteLog(MethodLogLine(method));
    });
}

void ControlCore::FireEvent(const KestEvent& event) {
    RunTrapped(this, "KestServer:FireEvent", [&] {
        notifier_.RaiseEvent(event);
        WriteLog(EventLogLine(event));
    });
}

void ControlCore::FireCommand(KestCommand& command) {
    RunTrapped(this, "KestServer:FireCommand", [&] {
        notifier_.RaiseCommand(command);
        WriteLog(CommandLogLine(command));
    });
}

bool ControlCore::AppendToLog(const std::string& name, const std::string& line) {
    if (!hand_over_log_) hand_over_log_ = std::make_unique<AppendFile>(clock_);
    return hand_over_log_->Append(app_directory_ / "Log" / name, line);
}

bool ControlCore::SendMsg(std::string_view label, std::string_view queue_path) {
    bool sent = false;
    RunTrapped(this, "EDPrimaryIn:SendMsg", [&] {
        if (!queues_) queues_ = std::make_unique<QueueSender>(QueueStore::PathIn(app_directory_));
        std::string why;
        sent = queues_->Send(label, queue_path, why);
        // A queue that cannot be opened drops the label without a notification; the log keeps
        // what was dropped and why.
        if (!sent) {
            AppendToLog("Log.txt", "SendMsg: label " + std::string(label) + " not sent to " +
                                       std::string(queue_path) + ": " + why + "\n");
        }
    });
    return sent;
}

void ControlCore::DisplayMessage(const std::string& text) {
    RunTrapped(this, "KestServer:DisplayMessage", [&] {
        if (text.empty()) {
            message_open_ = false;
            message_text_.clear();
            return;
        }
        if (!message_open_) message_text_.clear();
        message_open_ = true;
        message_text_ += "#############################\n" + text + "\n";
    });
}

bool ControlCore::ReplyCommand(const KestCommand& command) {
    const char* source = "KestServer:ReplyCommand";
    return RunTrapped(this, source, [&] {
        std::shared_ptr<KestCommand> pending = commands_.Find(command.TID());
        if (!pending) {
            TriggerError(source, 4004, "Invalid GEMCommand Object.", __LINE__);
            return false;
        }
        const auto& trans = pending->Transaction();
        if (!trans) {
            commands_.Remove(command.TID());
            return true;
        }
        SecsItem& root = trans->Secondary().RootItem();
        root.Clear();
        SecsItem reply = build::L(build::B({static_cast<std::uint8_t>(command.HCACK)}), build::L());
        for (const auto& output : command.Outputs()) {
            std::string name;
            std::int32_t ack = 0;
            if (const auto* item = std::get_if<KestCmdItem>(&output)) {
                name = item->CPNAME;
                ack = item->CPACK;
            } else {
                const auto& en = std::get<KestEnCmdItem>(output);
                name = en.CPNAME;
                ack = en.CEPACK;
            }
            SecsItem ack_item(enmItemFormat::FormatBinary);
            ack_item.SetValue(ack);
            reply.Item(2).AddItem(build::L(build::A(name), std::move(ack_item)));
        }
        root.AddItem(std::move(reply));
        if (trans->ReplyExpected()) trans->Reply();
        commands_.Remove(command.TID());
        return true;
    });
}

void ControlCore::GEMDBError(const std::string& source, int number, const std::string& text) {
    TriggerError(source, number, text, 0);
}

void ControlCore::GEMDBStateChanged(const std::string& service_name, const std::string& state) {
    KestEvent event(service_name, "StateChanged");
    event.AddOutput("State", state);
    FireEvent(event);
}

void ControlCore::GEMDBSpoolCheck() {
    SpoolChecking();
}

}  // namespace kest
