// Process programs moving between host and equipment: S7F1 load inquire, S7F3 program send and
// S7F5 program request.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "host/message_checks.h"
#include "host/recipe_directory.h"
#include "host/stream7_handlers.h"
#include "host/stream9_senders.h"
#include "queue/queue_store.h"
#include "secs/build.h"

namespace kest {

namespace {

// PPGNT and ACKC7 codes.
constexpr std::uint8_t kGranted = 0;
constexpr std::uint8_t kNoSpace = 2;
constexpr std::uint8_t kInvalidPPID = 3;
constexpr std::uint8_t kUnknownPPID = 5;
constexpr std::uint8_t kAccepted = 0;
constexpr std::uint8_t kPermissionDenied = 1;
constexpr std::uint8_t kLengthError = 2;
constexpr std::uint8_t kOtherError = 64;

bool IsA(const SecsItem& item) {
    return item.Format() == enmItemFormat::FormatAscii;
}

std::optional<RecipeDirectory> OpenRecipes(GemContext& control) {
    return RecipeDirectory::Open(control.GemVar("PPDirectory"));
}

// The L,2 body of S7F1 and S7F3 with an A first item; otherwise the stream 9 refusal is sent.
const SecsItem* ReadPair(GemContext& control, const SecsTransaction& trans) {
    const SecsItem& body = trans.Primary().Item(1);
    if (body.IsList() && body.Count() != 2) {
        SendS9F11(control, trans);
        return nullptr;
    }
    if (!body.IsList() || !IsA(body.Item(1))) {
        SendS9F7(control, trans);
        return nullptr;
    }
    return &body;
}

void RaiseProgramEvent(GemContext& control, const char* name, const std::string& ppid) {
    KestEvent event("GEMProcessProgram", name);
    event.AddOutput("PPID", Variant(ppid));
    control.FireEvent(event);
}

std::uint8_t Grant(GemContext& control, const RecipeDirectory& recipes, const SecsItem& body) {
    const std::string ppid(body.Item(1).Text());
    const std::uint32_t length = *ReadU4Id(body.Item(2));
    if (ppid.empty()) return kInvalidPPID;
    if (!recipes.HasFolderOf(ppid) || length == 0) return kUnknownPPID;
    if (length > kMaxRecipeSize) return kNoSpace;
    control.ExpectMsg().push_back({ppid, Variant(control.Setting("T3Timeout")).ToInt32()});
    RaiseProgramEvent(control, "Grant", ppid);
    return kGranted;
}

std::uint8_t Store(GemContext& control, const RecipeDirectory& recipes, const SecsItem& body) {
    const std::string ppid(body.Item(1).Text());
    if (!recipes.HasFolderOf(ppid)) return kOtherError;
    auto& expected = control.ExpectMsg();
    auto awaited = std::find_if(expected.begin(), expected.end(),
                                [&](const clsExpectRecipe& e) { return e.PPID == ppid; });
    if (awaited != expected.end()) expected.erase(awaited);
    const SecsItem& ppbody = body.Item(2);
    const bool bytes = ppbody.Format() == enmItemFormat::FormatBinary;
    if (!bytes || ppbody.Count() == 0 || ppbody.Count() > kMaxRecipeSize) return kLengthError;
    // A body that cannot be written is reported and refused, never left half written.
    if (!TryTrapped(&control, "EDPrimaryIn:ReplyS7F3",
                    [&] { recipes.Write(ppid, ppbody.Text()); })) {
        return kOtherError;
    }
    control.SendMsg(ppid + ":Downloaded", kAcknowledgeQueuePath);
    RaiseProgramEvent(control, "Download", ppid);
    return kAccepted;
}

void Reply(SecsTransaction& trans, SecsItem body) {
    if (!trans.ReplyExpected()) return;
    SetReplyBody(trans, std::move(body));
    trans.Reply();
}

}  // namespace

void ReplyS7F1(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    const std::optional<RecipeDirectory> recipes = OpenRecipes(control);
    if (!recipes) return AnswerAck(*trans, kUnknownPPID);
    if (recipes->FreeSpace() == 0) return AnswerAck(*trans, kNoSpace);
    const SecsItem* body = ReadPair(control, *trans);
    if (body == nullptr) return;
    if (!ReadU4Id(body->Item(2))) {
        SendS9F7(control, *trans);
        return;
    }
    AnswerAck(*trans, Grant(control, *recipes, *body));
}

void ReplyS7F3(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    const std::optional<RecipeDirectory> recipes = OpenRecipes(control);
    if (!recipes) return AnswerAck(*trans, kPermissionDenied);
    const SecsItem* body = ReadPair(control, *trans);
    if (body == nullptr) return;
    AnswerAck(*trans, Store(control, *recipes, *body));
}

void ReplyS7F5(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    if (!RequireBodyCount(control, *trans, 1)) return;
    const SecsItem& ppid = trans->Primary().Item(1);
    if (!IsA(ppid)) {
        SendS9F7(control, *trans);
        return;
    }
    const std::optional<RecipeDirectory> recipes = OpenRecipes(control);
    std::optional<std::string> bytes;
    if (recipes && ppid.Count() > 0) bytes = recipes->Read(ppid.Text());
    if (!bytes) return Reply(*trans, build::L());
    SecsItem ppbody(enmItemFormat::FormatBinary);
    ppbody.AdoptData(std::move(*bytes));
    Reply(*trans, build::L(build::A(ppid.Text()), std::move(ppbody)));
}

}  // namespace kest
