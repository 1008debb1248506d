#include "services/builders_stream7.h"

#include "base/error.h"
#include "base/file_read.h"
#include "base/file_write.h"
#include "base/recipe_path.h"
#include "base/text.h"
#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "secs/build.h"

namespace kest {

namespace {

// A new transaction of `name` with an empty body, W-bit set and tag `tid`: the layouts are fixed
// by the standard, so they are built whole rather than taken from a dictionary's template.
std::shared_ptr<SecsTransaction> NewPrimary(GemContext& control, const char* name,
                                            std::int32_t tid) {
    auto trans = control.VortelToolOCX().CreateTransaction(name);
    trans->Primary().RootItem().Clear();
    trans->SetReplyExpected(true);
    trans->SetTag(tid);
    return trans;
}

}  // namespace

bool SECSTrans_S7F1(GemContext& control, const std::string& ppid, std::int32_t length,
                    std::int32_t tid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S7F1", [&] {
        auto trans = NewPrimary(control, "S7F1", tid);
        trans->Primary().RootItem().AddItem(build::L(build::A(Trim(ppid)), build::U4(length)));
        return trans->Send();
    });
}

bool SECSTrans_S7F3(GemContext& control, const std::string& ppid, const std::string& directory,
                    std::int32_t tid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S7F3", [&] {
        auto file = RecipeFilePath(directory, ppid);
        if (!file) throw KestException(kPathFileAccessError, ppid + ": not a program file name");
        auto trans = NewPrimary(control, "S7F3", tid);
        SecsItem& top = trans->Primary().RootItem().AddItem(
            build::L(build::A(ppid), SecsItem(enmItemFormat::FormatBinary)));
        SecsItem& body = top.Item(2);
        ReadWholeFile(*file, [&body](std::size_t size) { return body.ResizeData(size); });
        return trans->Send();
    });
}

bool SECSTrans_S7F5(GemContext& control, const std::string& ppid, std::int32_t tid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S7F5", [&] {
        auto trans = NewPrimary(control, "S7F5", tid);
        trans->Primary().RootItem().AddItem(build::A(Trim(ppid)));
        return trans->Send();
    });
}

bool SECSTrans_S7F17(GemContext& control, const std::vector<std::string>& ppids, std::int32_t tid) {
    return RunTrapped(&control, "modSECS:SECSTrans_S7F17", [&] {
        auto trans = NewPrimary(control, "S7F17", tid);
        SecsItem& list = trans->Primary().RootItem().AddItem();
        for (const auto& ppid : ppids)
            list.AddItem(build::A(ppid));
        return trans->Send();
    });
}

}  // namespace kest
