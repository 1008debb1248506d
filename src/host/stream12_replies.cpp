#include "host/stream12_replies.h"

#include <initializer_list>
#include <string>
#include <vector>

#include "base/text.h"
#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "gemdb/var_format.h"
#include "host/stream9_senders.h"
#include "secs/item.h"

namespace kest {

namespace {

constexpr const char* kHostToEquip = "secs_S12data_HostToEquip";
constexpr const char* kSingle = "NotUsed";
// More repeated items than a map can sensibly hold is refused as too long.
constexpr std::size_t kMaxOccurrences = 1'000'000;

enum class Verdict { kStore, kIllegal, kTooLong };
using Rows = std::vector<MapDataRow>;

bool AddLeaf(Rows& rows, const char* name, const std::string& number, const SecsItem& item) {
    if (item.IsList()) return false;
    rows.push_back(MapDataRow{name, number,
                              std::string(AttributeFormatText(static_cast<int>(item.Format()))),
                              item.ToText()});
    return true;
}

// The list's items, from the first, as the single items named; nullptr skips a position the
// caller reads.
bool AddLeaves(Rows& rows, const SecsItem& list, std::initializer_list<const char*> names) {
    if (!list.IsList() || list.Count() != names.size()) return false;
    std::size_t position = 0;
    for (const char* name : names) {
        ++position;
        if (name != nullptr && !AddLeaf(rows, name, kSingle, list.Item(position))) return false;
    }
    return true;
}

void AddCount(Rows& rows, const char* name, std::size_t count) {
    rows.push_back(MapDataRow{name, kSingle, "U4", std::to_string(count)});
}

// An acknowledge code: one value in a single item (a text of any length but none).
Verdict ReadCode(const SecsItem& body, Rows& rows, const char* name) {
    const bool text = IsTextFormat(body.Format());
    if (body.IsList() || body.Count() == 0 || (!text && body.Count() != 1)) {
        return Verdict::kIllegal;
    }
    rows.push_back(MapDataRow{name, kSingle,
                              std::string(AttributeFormatText(static_cast<int>(body.Format()))),
                              std::string(Trim(body.ToText()))});
    return Verdict::kStore;
}

// L,n {L,2 {first, second}} as occurrences 1..n and their count.
Verdict ReadPairs(const SecsItem& list, Rows& rows, const char* first, const char* second,
                  const char* count_name) {
    if (!list.IsList()) return Verdict::kIllegal;
    if (list.Count() > kMaxOccurrences) return Verdict::kTooLong;
    rows.reserve(rows.size() + 2 * list.Count() + 2);
    std::size_t k = 0;
    for (const SecsItem& pair : list) {
        const std::string number = std::to_string(++k);
        if (!pair.IsList() || pair.Count() != 2 || !AddLeaf(rows, first, number, pair.Item(1)) ||
            !AddLeaf(rows, second, number, pair.Item(2))) {
            return Verdict::kIllegal;
        }
    }
    AddCount(rows, count_name, k);
    return Verdict::kStore;
}

Verdict ReadSetup(const SecsItem& body, Rows& rows) {
    if (!AddLeaves(rows, body,
                   {"MID", "IDTYP", "FNLOC", "ORLOC", "RPSEL", nullptr, "DUTMS", "XDIES", "YDIES",
                    "ROWCT", "COLCT", "PRDCT", "BCEQU", "NULBC", "MLCL"})) {
        return Verdict::kIllegal;
    }
    const SecsItem& points = body.Item(6);
    if (!points.IsList()) return Verdict::kIllegal;
    if (points.Count() > kMaxOccurrences) return Verdict::kTooLong;
    std::size_t k = 0;
    for (const SecsItem& point : points) {
        if (!AddLeaf(rows, "REFP", std::to_string(++k), point)) return Verdict::kIllegal;
    }
    AddCount(rows, "S12F4_ChildCount", k);
    return Verdict::kStore;
}

Verdict ReadMapData(const SecsItem& body, Rows& rows, const char* first, const char* count) {
    if (!AddLeaves(rows, body, {"MID", "IDTYP", nullptr})) return Verdict::kIllegal;
    return ReadPairs(body.Item(3), rows, first, "BINLT", count);
}

// Checks the whole message with `read`, then stores every row and the trigger together.
template <typename Read>
void Store(GemContext& control, const std::shared_ptr<SecsTransaction>& trans, Read&& read) {
    // S12F4 may come as the host's own primary; every other one is a reply to ours.
    const SecsMessage& message = trans->IsReceived() ? trans->Primary() : trans->Secondary();
    Rows rows;
    const Verdict verdict =
        message.BodyCount() == 1 ? read(message.Item(1), rows) : Verdict::kIllegal;
    if (verdict != Verdict::kStore) {
        if (verdict == Verdict::kTooLong) {
            SendS9F11(control, trans->DeviceID(), message.Stream(), message.Function());
        } else {
            SendS9F7(control, trans->DeviceID(), message.Stream(), message.Function());
        }
        return;
    }
    rows.push_back(MapDataRow{"S12_Trigger", kSingle, "A", message.Name()});
    control.Db().UpdateMapRows(kHostToEquip, rows);
}

void StoreCode(GemContext& control, const std::shared_ptr<SecsTransaction>& trans,
               const char* name) {
    Store(control, trans,
          [&](const SecsItem& body, Rows& rows) { return ReadCode(body, rows, name); });
}

}  // namespace

void ReplyS12F2(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    StoreCode(control, trans, "SDACK");
}

void ReplyS12F4(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    Store(control, trans, ReadSetup);
}

void ReplyS12F6(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    StoreCode(control, trans, "GRNT");
}

void ReplyS12F8(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    StoreCode(control, trans, "MDACK");
}

void ReplyS12F10(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    StoreCode(control, trans, "MDACK");
}

void ReplyS12F12(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    StoreCode(control, trans, "MDACK");
}

void ReplyS12F14(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    Store(control, trans, [](const SecsItem& body, Rows& rows) {
        return ReadMapData(body, rows, "RSINF", "S12F14_ChildCount");
    });
}

void ReplyS12F16(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    Store(control, trans, [](const SecsItem& body, Rows& rows) {
        return AddLeaves(rows, body, {"MID", "IDTYP", "STRP", "BINLT"}) ? Verdict::kStore
                                                                        : Verdict::kIllegal;
    });
}

void ReplyS12F18(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    Store(control, trans, [](const SecsItem& body, Rows& rows) {
        return ReadMapData(body, rows, "XYPOS", "S12F18_ChildCount");
    });
}

}  // namespace kest
