#include "host/stream2_traces.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "host/message_checks.h"
#include "host/stream9_senders.h"
#include "host/variable_lookup.h"
#include "secs/build.h"

namespace kest {

namespace {

constexpr int kTraceElements = 4;

// Two digits of `text` from `at` as a number no greater than `max`.
std::optional<std::int32_t> Part(std::string_view text, std::size_t at, std::int32_t max) {
    const char tens = text[at];
    const char units = text[at + 1];
    if (tens < '0' || tens > '9' || units < '0' || units > '9') return std::nullopt;
    const std::int32_t value = (tens - '0') * 10 + (units - '0');
    return value <= max ? std::optional(value) : std::nullopt;
}

// DSPER "hhmmss" as seconds, or nothing for a part that is not two digits in its range.
std::optional<std::int32_t> PeriodOf(std::string_view dsper) {
    auto hh = Part(dsper, 0, 23);
    auto mm = Part(dsper, 2, 59);
    auto ss = Part(dsper, 4, 59);
    if (!hh || !mm || !ss) return std::nullopt;
    return *hh * 3600 + *mm * 60 + *ss;
}

struct Request {
    std::uint32_t trid = 0;
    std::string dsper;
    std::uint32_t totsmp = 0;
    std::uint32_t repgsz = 0;
    std::vector<std::uint32_t> svids;
};

// The request's fields, or nothing after S9F7 or S9F11 was sent for a malformed one.
std::optional<Request> ReadRequest(GemContext& control, const SecsTransaction& trans) {
    if (!RequireBodyCount(control, trans, 1)) return std::nullopt;
    const SecsItem& root = trans.Primary().Item(1);
    if (!root.IsList()) {
        SendS9F7(control, trans);
        return std::nullopt;
    }
    if (root.Count() != 5) {
        SendS9F11(control, trans);
        return std::nullopt;
    }
    auto trid = ReadU4Id(root.Item(1));
    const SecsItem& dsper = root.Item(2);
    auto totsmp = ReadU4Id(root.Item(3));
    auto repgsz = ReadU4Id(root.Item(4));
    auto svids = ReadU4Ids(root.Item(5));
    if (!trid || dsper.Format() != enmItemFormat::FormatAscii || dsper.Text().size() != 6 ||
        !totsmp || !repgsz || !svids) {
        SendS9F7(control, trans);
        return std::nullopt;
    }
    return Request{*trid, std::string(dsper.Text()), *totsmp, *repgsz, std::move(*svids)};
}

// Only a top-level variable has a value of its own to sample.
bool Sampleable(GemContext& control, std::uint32_t svid) {
    auto found = FindVariable(control.Db(), svid);
    return found && found->record.ParentKey() == 0;
}

// Releases the trace `trid` and its timer element; false when it was not running.
bool StopTrace(GemContext& control, std::int32_t trid) {
    auto& traces = control.TraceList();
    auto it = std::find_if(traces.begin(), traces.end(),
                           [&](const KestRecTrace& t) { return t.TRID == trid; });
    if (it == traces.end()) return false;
    const int index = it->TimerIndex;
    traces.erase(it);
    if (TraceTimerElement* element = control.TraceTime(index)) *element = TraceTimerElement{};
    control.ApplyTraceTimer(index);
    return true;
}

// A timer element no trace owns, or 0.
int FreeElement(GemContext& control) {
    for (int index = 1; index <= kTraceElements; ++index) {
        TraceTimerElement* element = control.TraceTime(index);
        if (element != nullptr && !element->Enabled) return index;
    }
    return 0;
}

void Raise(GemContext& control, const char* name, std::int32_t trid) {
    KestEvent event("GEMTrace", name);
    event.AddOutput("TRID", trid);
    control.FireEvent(event);
}

// The TIAACK of a well-formed request, applying it when it is accepted.
std::uint8_t Apply(GemContext& control, const Request& request) {
    auto period = PeriodOf(request.dsper);
    if (!period) return 3;
    if (request.repgsz < 1 || request.repgsz > 4) return 1;
    // TRID travels as U4; the record keeps its bits.
    const auto trid = static_cast<std::int32_t>(request.trid);
    if (request.totsmp == 0) {
        StopTrace(control, trid);
        return 0;
    }
    if (request.svids.empty()) return 1;
    for (std::uint32_t svid : request.svids) {
        if (!Sampleable(control, svid)) return 1;
    }
    StopTrace(control, trid);  // a repeated TRID starts over, in the element it frees
    const int index = FreeElement(control);
    if (index == 0) return 2;  // four other traces own the elements

    KestRecTrace trace;
    trace.TRID = trid;
    trace.Period = *period;
    trace.TOTSMP = static_cast<std::int32_t>(
        std::min<std::uint32_t>(request.totsmp, std::numeric_limits<std::int32_t>::max()));
    trace.REPGSZ = static_cast<std::int32_t>(request.repgsz);
    trace.SVIDs.assign(request.svids.begin(), request.svids.end());
    trace.TimerIndex = index;
    trace.Countdown = *period;
    control.TraceList().push_back(std::move(trace));
    TraceTimerElement* element = control.TraceTime(index);
    element->Interval = 1000;
    element->Enabled = true;
    control.ApplyTraceTimer(index);
    return 0;
}

}  // namespace

void ReplyS2F23(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    auto request = ReadRequest(control, *trans);
    if (!request) return;
    const std::uint8_t tiaack = Apply(control, *request);
    AnswerAck(*trans, tiaack);
    if (tiaack != 0) return;
    Raise(control, request->totsmp == 0 ? "TraceEnd" : "TraceStart",
          static_cast<std::int32_t>(request->trid));
}

}  // namespace kest
