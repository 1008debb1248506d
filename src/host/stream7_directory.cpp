// The host's view of the recipe directory as a whole: S7F17 delete and S7F19 the list.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "host/message_checks.h"
#include "host/recipe_directory.h"
#include "host/stream7_handlers.h"
#include "host/stream9_senders.h"
#include "secs/build.h"

namespace kest {

namespace {

constexpr std::uint8_t kAccepted = 0;
constexpr std::uint8_t kPermissionDenied = 1;
constexpr std::uint8_t kPPIDNotFound = 4;

// The PPIDs of L,n {A PPID}; nothing when the list or one of its items is malformed.
std::optional<std::vector<std::string>> ReadPPIDs(const SecsItem& list) {
    if (!list.IsList()) return std::nullopt;
    std::vector<std::string> ppids;
    ppids.reserve(list.Count());
    for (const SecsItem& item : list) {
        if (item.Format() != enmItemFormat::FormatAscii) return std::nullopt;
        ppids.emplace_back(item.Text());
    }
    return ppids;
}

std::string Joined(const std::vector<std::string>& ppids) {
    std::string text;
    for (const std::string& ppid : ppids) {
        if (!text.empty()) text += ',';
        text += ppid;
    }
    return text;
}

// Deletes the programs named, or every program for none; ACKC7.
std::uint8_t Delete(const RecipeDirectory& recipes, const std::vector<std::string>& ppids) {
    if (ppids.empty()) {
        recipes.RemoveAllFiles();
        return kAccepted;
    }
    for (const std::string& ppid : ppids) {
        if (!recipes.HasFile(ppid)) return kPPIDNotFound;
    }
    for (const std::string& ppid : ppids)
        recipes.Remove(ppid);
    return kAccepted;
}

}  // namespace

void ReplyS7F17(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    const std::optional<std::vector<std::string>> ppids = ReadPPIDs(trans->Primary().Item(1));
    if (!ppids) {
        SendS9F7(control, *trans);
        return;
    }
    const std::optional<RecipeDirectory> recipes =
        RecipeDirectory::Open(control.GemVar("PPDirectory"));
    if (!recipes) return AnswerAck(*trans, kPermissionDenied);
    const std::uint8_t ackc7 = Delete(*recipes, *ppids);
    AnswerAck(*trans, ackc7);
    if (ackc7 != kAccepted) return;
    KestEvent event("GEMProcessProgram", "Delete");
    event.AddOutput("PPID", Variant(Joined(*ppids)));
    control.FireEvent(event);
}

void ReplyS7F19(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 0)) return;
    const std::optional<RecipeDirectory> recipes =
        RecipeDirectory::Open(control.GemVar("PPDirectory"));
    SecsItem list;
    if (recipes) {
        const std::vector<std::string> ppids = recipes->List();
        list.ReserveChildren(ppids.size());
        for (const std::string& ppid : ppids)
            list.AddItem(build::A(ppid));
    }
    if (!trans->ReplyExpected()) return;
    SetReplyBody(*trans, std::move(list));
    trans->Reply();
}

}  // namespace kest
