#include "services/builders_stream12.h"

#include <array>
#include <initializer_list>
#include <string>
#include <utility>

#include "base/error.h"
#include "base/text.h"
#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "services/map_attributes.h"

namespace kest {

namespace {

// Sets the body's items, from the first, to the attributes named; nullptr skips a list that
// the caller fills.
void FillLeaves(SecsItem& body, const MapAttributes& attributes,
                std::initializer_list<const char*> names) {
    std::size_t position = 0;
    for (const char* name : names) {
        ++position;
        if (name != nullptr) attributes.Apply(body.Item(position), name);
    }
}

// The dictionary's first element of `list`, kept as the shape of every occurrence, and the
// list emptied.
SecsItem TakeTemplate(SecsItem& list) {
    if (!list.IsList() || list.Count() == 0) {
        throw KestException(errc::kSubscriptOutOfRange, "Subscript out of range");
    }
    SecsItem shape = list.Item(1);
    list.Clear();
    return shape;
}

// n pairs L,2 {first k, second k}, n from the count row.
void FillPairs(SecsItem& list, const MapAttributes& attributes, const char* first,
               const char* second, const char* count_name) {
    SecsItem shape = TakeTemplate(list);
    if (!shape.IsList() || shape.Count() != 2) {
        throw KestException(errc::kSubscriptOutOfRange, "Subscript out of range");
    }
    const std::size_t count = attributes.Count(count_name);
    list.ReserveChildren(count);
    for (std::size_t k = 1; k <= count; ++k) {
        SecsItem& pair = list.AddItem(shape);
        attributes.Apply(pair.Item(1), first, k);
        attributes.Apply(pair.Item(2), second, k);
    }
}

template <typename Fill>
bool Build(GemContext& control, const char* name, std::int32_t tid, Fill&& fill) {
    return RunTrapped(&control, std::string("modSECS:SECSTrans_") + name, [&] {
        auto trans = control.VortelToolOCX().CreateTransaction(name);
        const MapAttributes attributes(control.Db());
        fill(trans->Primary().Item(1), attributes);
        trans->SetTag(tid);
        return trans->Send();
    });
}

template <typename... Names>
bool BuildLeaves(GemContext& control, const char* name, std::int32_t tid, Names... names) {
    return Build(control, name, tid, [&](SecsItem& body, const MapAttributes& attributes) {
        FillLeaves(body, attributes, {names...});
    });
}

}  // namespace

bool SECSTrans_S12F1(GemContext& control, std::int32_t tid) {
    return Build(control, "S12F1", tid, [](SecsItem& body, const MapAttributes& attributes) {
        FillLeaves(body, attributes,
                   {"MID", "IDTYP", "FNLOC", "FFROT", "ORLOC", "RPSEL", nullptr, "DUTMS", "XDIES",
                    "YDIES", "ROWCT", "COLCT", "NULBC", "PRDCT", "PRAXI"});
        SecsItem& points = body.Item(7);
        SecsItem shape = TakeTemplate(points);
        if (Trim(attributes.Text("REFP_Type")) != "1") return;
        const std::size_t count = attributes.Count("REFP_Count");
        for (std::size_t k = 1; k <= count; ++k)
            attributes.Apply(points.AddItem(shape), "REFP", k);
    });
}

bool SECSTrans_S12F3(GemContext& control, std::int32_t tid) {
    return BuildLeaves(control, "S12F3", tid, "MID", "IDTYP", "MAPFT", "FNLOC", "FFROT", "ORLOC",
                       "PRAXI", "BCEQU", "NULBC");
}

bool SECSTrans_S12F5(GemContext& control, std::int32_t tid) {
    return BuildLeaves(control, "S12F5", tid, "MID", "IDTYP", "MAPFT", "MLCL");
}

bool SECSTrans_S12F7(GemContext& control, std::int32_t tid) {
    return Build(control, "S12F7", tid, [](SecsItem& body, const MapAttributes& attributes) {
        FillLeaves(body, attributes, {"MID", "IDTYP"});
        FillPairs(body.Item(3), attributes, "RSINF", "BINLT", "S12F7_Count");
    });
}

bool SECSTrans_S12F9(GemContext& control, std::int32_t tid) {
    return BuildLeaves(control, "S12F9", tid, "MID", "IDTYP", "STRP", "BINLT");
}

bool SECSTrans_S12F11(GemContext& control, std::int32_t tid) {
    return Build(control, "S12F11", tid, [](SecsItem& body, const MapAttributes& attributes) {
        FillLeaves(body, attributes, {"MID", "IDTYP"});
        FillPairs(body.Item(3), attributes, "XYPOS", "BINLT", "S12F11_Count");
    });
}

bool SECSTrans_S12F13(GemContext& control, std::int32_t tid) {
    return BuildLeaves(control, "S12F13", tid, "MID", "IDTYP");
}

bool SECSTrans_S12F15(GemContext& control, std::int32_t tid) {
    return BuildLeaves(control, "S12F15", tid, "MID", "IDTYP");
}

bool SECSTrans_S12F17(GemContext& control, std::int32_t tid) {
    return BuildLeaves(control, "S12F17", tid, "MID", "IDTYP", "SDBIN");
}

bool SECSTrans_S12F19(GemContext& control, std::int32_t tid) {
    return BuildLeaves(control, "S12F19", tid, "MAPER", "DATLC");
}

MapBuilder FindMapBuilder(std::string_view function) noexcept {
    static constexpr std::array<std::pair<std::string_view, MapBuilder>, 10> kBuilders{{
        {"1", &SECSTrans_S12F1},
        {"3", &SECSTrans_S12F3},
        {"5", &SECSTrans_S12F5},
        {"7", &SECSTrans_S12F7},
        {"9", &SECSTrans_S12F9},
        {"11", &SECSTrans_S12F11},
        {"13", &SECSTrans_S12F13},
        {"15", &SECSTrans_S12F15},
        {"17", &SECSTrans_S12F17},
        {"19", &SECSTrans_S12F19},
    }};
    for (const auto& [name, builder] : kBuilders) {
        if (name == function) return builder;
    }
    return nullptr;
}

}  // namespace kest
