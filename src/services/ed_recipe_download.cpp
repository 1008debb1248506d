#include "services/ed_recipe_download.h"

#include <string_view>

#include "base/file_write.h"
#include "base/recipe_path.h"
#include "base/text.h"
#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "services/builders_stream7.h"
#include "services/gem_process_program.h"

namespace kest {

void EDRecipeDownload::SetSource(const std::shared_ptr<GEMProcessProgram>& source) {
    Trapped("Set IEDAction_Source", [&] {
        ppid_ = source->PPID();
        directory_ = source->PPIDRECEIVEPATH();
        auto control = Control();
        if (control && !SECSTrans_S7F5(*control, ppid_, TID())) ReportSendFailed("S7F5");
    });
}

void EDRecipeDownload::OnReply(SecsTransaction& trans) {
    bool received = false;
    // A program that cannot be written is reported by the trap and still ends the exchange,
    // so the application learns at once that nothing arrived.
    Trapped("IEDAction_ReceivedSecondary", [&] { received = Store(trans.Secondary()); });
    ReportReceived(received);
}

bool EDRecipeDownload::Store(const SecsMessage& reply) const {
    if (reply.BodyCount() == 0) return false;
    const SecsItem& top = reply.Item(1);
    if (!top.IsList() || top.Count() < 2) return false;
    const SecsItem& ppid = top.Item(1);
    const SecsItem& body = top.Item(2);
    // S7F5 asked for the identifier without its blanks; the host answers with that one.
    if (ppid.Format() != enmItemFormat::FormatAscii || ppid.Text() != Trim(ppid_)) return false;
    if (body.Format() != enmItemFormat::FormatBinary || body.Count() == 0) return false;
    auto file = RecipeFilePath(directory_, Trim(ppid_));
    if (!file) return false;
    const auto bytes = body.Data();
    WriteFileAtomically(*file, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    return true;
}

void EDRecipeDownload::OnFailure(std::int32_t) {
    ReportReceived(false);
}

void EDRecipeDownload::ReportReceived(bool received) const {
    KestMethod method = NewMethod("GEMProcessProgram", "RecipeDownloadFromHost");
    method.AddInput("PPID", ppid_);
    method.AddInput("PPIDRECEIVEPATH", directory_);
    method.AddOutput("FileReceived", received);
    Report(method);
}

}  // namespace kest
