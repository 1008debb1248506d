#pragma once

// What the service and host-message tests share: a control, records added to its database, host
// replies, and the errors and service log read back.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "support/control_harness.h"

namespace kest::test {

constexpr const char* kPortClosed = "Invalid port connect state to perform this task.";

inline std::string SendFailed(const std::string& primary) {
    return "SECS [" + primary + "] message send failed.";
}

/// Names parameterized tests after their case's label.
inline constexpr auto kLabel = [](const auto& info) { return std::string(info.param.label); };

/// The transaction number a sent primary carries as its tag.
inline std::int32_t TagOf(const SecsTransaction& trans) {
    return trans.Tag().ToInt32();
}

/// A message without W-bit, as the host replies.
inline SecsMessage Reply(int stream, int function, std::optional<SecsItem> body = std::nullopt) {
    return body ? SecsMessage(stream, function, false, std::move(*body))
                : SecsMessage(stream, function, false);
}

/// An error as {source, number, text}.
using ErrorRow = std::tuple<std::string, int, std::string>;

class ServiceTest : public ::testing::Test {
  protected:
    std::vector<ErrorRow> Errors() const {
        std::vector<ErrorRow> rows;
        for (const auto& e : h.errors)
            rows.emplace_back(e.ErrSource, e.ErrCode, e.ErrText);
        return rows;
    }

    /// The live transactions apart from the host-message handler.
    std::size_t LiveTransactions() const { return h.core->Actions().Size() - 1; }

    /// Today's service log ("" when there is none).
    std::string ServiceLog() const { return ReadFile(h.dir / "Log" / "KestTool_2026-12-05.log"); }

    void AddEvent(std::int32_t ceid, const std::string& name, bool enable = true) {
        KestRecEvent e;
        e.SetID(ceid);
        e.SetName(name);
        e.SetEnable(enable);
        ASSERT_TRUE(h.Db().EventAddRecord(e)) << name;
    }
    void AddAlarm(std::int32_t id, const std::string& name, const std::string& text, bool enable,
                  std::int32_t set_ceid = 0, bool set = false) {
        KestRecAlarm a;
        a.SetID(id);
        a.SetName(name);
        a.SetTEXT(text);
        a.SetEnable(enable);
        a.SetSetCEID(set_ceid);
        a.SetAlarmSet(set);
        ASSERT_TRUE(h.Db().AlarmAddRecord(a)) << name;
    }
    /// Adds a user variable; `parent` 0 makes it top-level.
    void AddVariable(std::int32_t vid, const std::string& name, enmItemFormat format,
                     const std::string& value, std::int32_t parent = 0,
                     const std::string& access = "NULL", bool duplicates = false,
                     const std::string& type = "SV") {
        KestRecVariable v;
        v.SetID(vid);
        v.SetName(name);
        v.SetVarFormat(static_cast<int>(format));
        v.SetValue(value);
        v.SetParentKey(parent);
        v.SetAccessID(access);
        v.SetAllowDuplicates(duplicates);
        v.SetVarType(type);
        ASSERT_TRUE(h.Db().VariableAddRecord(v)) << name;
    }
    /// Adds report `rptid` with the variables `vids`, in order.
    void AddReport(std::int32_t rptid, const std::vector<std::int32_t>& vids) {
        KestRecReport r;
        r.SetID(rptid);
        r.SetName("R" + std::to_string(rptid));
        ASSERT_TRUE(h.Db().ReportAddRecord(r));
        std::int32_t order = 0;
        for (auto vid : vids)
            ASSERT_TRUE(h.Db().EvtRptAddVariable(rptid, vid, ++order));
    }
    /// Links the reports `rptids` to event `ceid`, in order.
    void Link(std::int32_t ceid, const std::vector<std::int32_t>& rptids) {
        std::int32_t order = 0;
        for (auto rptid : rptids)
            ASSERT_TRUE(h.Db().EvtRptLinkReport(ceid, rptid, ++order));
    }

    ControlHarness h;
};

}  // namespace kest::test
