#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/variant.h"
#include "gemdb/gemdb_enums.h"
#include "gemdb/gemdb_events.h"
#include "gemdb/kest_rec_alarm.h"
#include "gemdb/kest_rec_event.h"
#include "gemdb/kest_rec_limit.h"
#include "gemdb/kest_rec_report.h"
#include "gemdb/kest_rec_secs_trans.h"
#include "gemdb/kest_rec_variable.h"

namespace kest {

class SqliteConnection;
struct RowKey;

/// The last error `GEMDB` reported.
struct GEMDBErrorInfo {
    std::string source;  ///< "GEMDB:" + the operation
    int number = 0;      ///< 0 when nothing was reported yet
    std::string text;
};

/// The GEM database: every read and write of alarms, events, reports, variables, settings,
/// links, limits, the stream/function table and the message tables goes through here.
///
/// Keys (`key`) select a row by name when they hold text (compared without regard to case) and
/// by ID when they hold an integer that fits 32 bits; anything else is error 5002. Field
/// results are text, integer or Boolean as the column is; a database NULL is an empty Variant;
/// no row gives the text "NULL".
///
/// Errors never leave an operation: each one is reported to the attached `GEMDBEvents` with the
/// source "GEMDB:" + operation (the database's own number and text for database errors, 5001 to
/// 5013 for the checks of this layer), kept as `LastError()`, and the operation returns false,
/// nothing, an empty list or "NULL". A key that matches no row in a delete, get or setting
/// operation is not an error: the operation just returns its failure value.
///
/// Every value is a bound parameter and every statement is prepared once. Single-threaded:
/// call it from the control's thread only.
///
/// Reads are cached: the rows of every read (by name or ID, lists, link lists, the
/// stream/function table, settings) are kept after the first one, per statement and bound
/// values (a name is kept as the caller spelled it; the NOCASE match stays SQLite's). Every
/// write through this object drops the kept reads of the tables it writes, whichever of its
/// connections it uses (both are one connection when DBFile is the program-directory file); a
/// script or a statement of unknown effect drops everything. Nothing is kept inside a
/// transaction. Writes by another connection or process are noticed in one of two modes:
/// - `GEMDBCacheMode::CheckEveryRead` (default, right for any use): before a kept read is
///   served, "PRAGMA data_version" is read (a read transaction: a few system calls), and a
///   change drops everything.
/// - `GEMDBCacheMode::UntilNoticed` (the control): kept reads are served with no system call
///   and trusted until `NoticeExternalChange()`, which the owner calls when a
///   `DatabaseChangeWatch` on the file fires; it drops everything only when another connection
///   committed (our own commits leave data_version as it is).
/// One row of a stream 12 data table: attribute_name, NumberX, attribute_format and
/// attribute_value.
struct MapDataRow {
    std::string name;
    std::string number;
    std::string format;
    std::string value;
};

class GEMDB {
  public:
    /// Opens "GEM.mdb" in `program_directory`. The file must exist (it is never created here);
    /// when it cannot be opened the first operation reports why.
    explicit GEMDB(std::filesystem::path program_directory);
    ~GEMDB();
    GEMDB(const GEMDB&) = delete;
    GEMDB& operator=(const GEMDB&) = delete;

    // --- Database file and attachment --------------------------------------------------------

    /// Full path of the database file in use.
    const std::string& DBFile() const noexcept { return db_file_; }
    /// Switches to the database `path`: empty reports 5004, a path without ".mdb" (case matters)
    /// reports 5003; in both cases the current database stays. Otherwise the path is recorded
    /// in the setting "GEMDatabase" of the current database, and the new one is opened.
    void SetDBFile(const std::string& path);
    /// Attaches the object that receives errors and notifications, and records `DBFile` in the
    /// setting "GEMDatabase".
    void SetParent(std::weak_ptr<GEMDBEvents> parent);
    /// The last error reported (number 0 when none).
    const GEMDBErrorInfo& LastError() const noexcept { return last_error_; }
    /// Statements compiled and kept for reuse on the `DBFile` connection (diagnostics).
    std::size_t CachedStatementCount() const noexcept;

    // --- Read cache --------------------------------------------------------------------------

    /// How writes by other connections are noticed (see the class comment); drops every kept
    /// read. Applies to connections opened later too.
    void SetCacheMode(GEMDBCacheMode mode);
    GEMDBCacheMode CacheMode() const noexcept { return cache_mode_; }
    /// Checks whether another connection committed since the last check and drops every kept
    /// read when it did (true). Waits up to the busy timeout for a writer that is committing.
    /// Never reports an error: a failed check drops everything.
    bool NoticeExternalChange();
    /// Reads kept on the `DBFile` connection (diagnostics and tests).
    std::size_t CachedResultCount() const noexcept;

    // --- Alarms (secs_alarm) -----------------------------------------------------------------

    /// Adds an alarm row with every field of `record`. False when the ID exists (reported).
    bool AlarmAddRecord(const KestRecAlarm& record);
    /// Deletes the alarm `key` selects. False when there is none (not reported) or on 5002.
    bool AlarmDeleteRecord(const Variant& key);
    /// The alarm `key` selects, or nothing.
    std::optional<KestRecAlarm> AlarmGetRecord(const Variant& key);
    /// One field of the alarm `key` selects, or "NULL".
    Variant AlarmGetField(const Variant& key, FLDID_ALARM field);
    /// Changes one field; the ID and the name report 5009.
    bool AlarmSetField(const Variant& key, FLDID_ALARM field, const Variant& value);
    /// Every ALID, in table order.
    std::vector<std::int32_t> AlarmGetAll();
    /// The ALIDs of the enabled alarms (`enabled` true) or of the disabled ones.
    std::vector<std::int32_t> AlarmGetEnabled(bool enabled);
    /// The ALIDs of the alarms currently set.
    std::vector<std::int32_t> AlarmGetSet();
    /// Sets the enable flag of every alarm.
    bool AlarmEnableAll(bool enable);
    /// Sets the "set" mark of every alarm.
    bool AlarmEnableSet(bool set);

    // --- Collection events (secs_gemevent when `gem`, else secs_cusevent) --------------------

    /// Adds a custom event; an ID below 101 reports 5001.
    bool EventAddRecord(const KestRecEvent& record);
    /// Deletes the custom event `key` selects.
    bool EventDeleteRecord(const Variant& key);
    /// The event `key` selects, or nothing.
    std::optional<KestRecEvent> EventGetRecord(const Variant& key, bool gem);
    /// One field of the event `key` selects, or "NULL".
    Variant EventGetField(const Variant& key, FLDID_EVENT field, bool gem);
    /// Changes one field; the ID and the name report 5009.
    bool EventSetField(const Variant& key, FLDID_EVENT field, const Variant& value, bool gem);
    /// Every CEID of the table, in table order.
    std::vector<std::int32_t> EventGetAll(bool gem);
    /// The CEIDs of the enabled events of the table.
    std::vector<std::int32_t> EventGetEnabled(bool gem);
    /// Sets the enable flag of every event of the table.
    bool EventEnableAll(bool enable, bool gem);

    // --- Reports (secs_report) ---------------------------------------------------------------

    /// Adds a report; an ID below 101 reports 5008.
    bool ReportAddRecord(const KestRecReport& record);
    /// Deletes the report `key` selects; a default report reports 5007 and stays.
    bool ReportDeleteRecord(const Variant& key);
    /// The report `key` selects, or nothing.
    std::optional<KestRecReport> ReportGetRecord(const Variant& key);
    /// One field of the report `key` selects, or "NULL".
    Variant ReportGetField(const Variant& key, FLDID_REPORT field);
    /// Changes any of the four fields, the ID and the name included.
    bool ReportSetField(const Variant& key, FLDID_REPORT field, const Variant& value);
    /// Every report, in table order.
    std::vector<KestRecReport> ReportGetAll();

    // --- Variables (secs_gemvar when `gem`, else secs_cusvar) --------------------------------

    /// Adds a custom variable; an ID below 101 reports 5006.
    bool VariableAddRecord(const KestRecVariable& record);
    /// Deletes the custom variable `key` selects.
    bool VariableDeleteRecord(const Variant& key);
    /// The variable `key` selects, or nothing.
    std::optional<KestRecVariable> VariableGetRecord(const Variant& key, bool gem);
    /// One field of the variable `key` selects, or "NULL".
    Variant VariableGetField(const Variant& key, FLDID_VARIABLE field, bool gem);
    /// Changes one field. Of a GEM variable only the value (5005 otherwise); ID, name, type and
    /// format report 5009; a value or default outside the row's min and max reports 5010 or
    /// 5011. A new value of a GEM state variable raises the state-change notification and,
    /// where the state calls for it, the spool check.
    bool VariableSetField(const Variant& key, FLDID_VARIABLE field, const Variant& value, bool gem);
    /// Every variable of the table, in table order; only those of `var_type` unless "NULL".
    std::vector<KestRecVariable> VariableGetAll(bool gem, std::string_view var_type = "NULL");
    /// The children of the list variable `parent`, ordered by access ID. No parent reports 5012,
    /// a parent with ID 0 reports 5013.
    std::vector<KestRecVariable> VariableGetChild(const std::optional<KestRecVariable>& parent,
                                                  bool gem);

    // --- Settings (secs_setting) -------------------------------------------------------------

    /// The value or saved default of setting `name`; "NULL" when there is no such row.
    Variant SettingGetField(std::string_view name, FLDID_SETTING field);
    /// Writes the value or saved default of setting `name` as text. A missing row is not
    /// created and the write is dropped without a report.
    void SettingSetField(std::string_view name, FLDID_SETTING field, const Variant& value);

    // --- Report and event links --------------------------------------------------------------

    /// Adds variable `var_id` to report `rpt_id` at position `order`.
    bool EvtRptAddVariable(std::int32_t rpt_id, std::int32_t var_id, std::int32_t order);
    /// Removes one link of the variable from the report (false when there is none).
    bool EvtRptDelVariable(std::int32_t rpt_id, std::int32_t var_id);
    /// The VIDs of report `rpt_id`, in var_order.
    std::vector<std::int32_t> EvtRptGetVarList(std::int32_t rpt_id);
    /// Links report `rpt_id` to event `evt_id` at position `order`.
    bool EvtRptLinkReport(std::int32_t evt_id, std::int32_t rpt_id, std::int32_t order);
    /// Removes one link of the report from the event (false when there is none).
    bool EvtRptUnlinkReport(std::int32_t evt_id, std::int32_t rpt_id);
    /// The RPTIDs linked to event `evt_id`, in rpt_order.
    std::vector<std::int32_t> EvtRptGetReportList(std::int32_t evt_id);
    /// The CEIDs that link report `rpt_id`, in table order.
    std::vector<std::int32_t> EvtRptGetEventList(std::int32_t rpt_id);
    /// Deletes every event link and every report that is not a default report, with its
    /// variable links, in one transaction.
    bool EvtRptDelAll();
    /// Appends the default event links to the event links.
    bool EvtRptCopyDefault();

    /// Groups the writes made while it lives into one transaction on the `DBFile` connection,
    /// committed when it ends, so a host message that writes thousands of rows pays for one
    /// commit. Each write still succeeds or fails on its own, and what was written before a
    /// failed write is committed all the same. A group made while a transaction is open (another
    /// group, for one) adds nothing. A group that cannot begin is reported as
    /// "GEMDB:WriteGroup" and the writes commit one by one; one that cannot commit is reported
    /// and rolled back.
    class WriteGroup {
      public:
        explicit WriteGroup(GEMDB& db);
        ~WriteGroup();
        WriteGroup(const WriteGroup&) = delete;
        WriteGroup& operator=(const WriteGroup&) = delete;

      private:
        GEMDB& db_;
        bool open_ = false;
    };

    // --- Limits (limit_definition) -----------------------------------------------------------

    /// Adds a limit row.
    bool LimitAddAttr(const KestRecLimit& limit);
    /// Deletes the limits of `var_id` and `limit_id`; 0 stands for any.
    bool LimitDeleteAttr(std::int32_t var_id, std::int32_t limit_id);
    /// The first limit with ID `limit_id`, or nothing.
    std::optional<KestRecLimit> LimitGetAttr(std::int32_t limit_id);
    /// The limits of variable `var_id`, in table order.
    std::vector<KestRecLimit> LimitGetVIDAttr(std::int32_t var_id);
    /// The VIDs that have limits, each once.
    std::vector<std::int32_t> LimitGetAllVID();

    // --- Stream/function table (secs_trans) --------------------------------------------------

    /// The row of primary S<stream>F<function>, or nothing.
    std::optional<KestRecSecsTrans> SFGetRecord(std::int32_t stream, std::int32_t function);
    /// Sets one flag of the row of S<stream>F<function>.
    bool SFSetField(std::int32_t stream, std::int32_t function, FLDID_SECSTRANS field,
                    const Variant& value);
    /// The functions listed for `stream`.
    std::vector<std::int32_t> SFGetFunc(std::int32_t stream);
    /// The functions of `stream` that may be spooled.
    std::vector<std::int32_t> SpoolSupportFunc(std::int32_t stream);
    /// Every row: spooling enabled exactly where it is supported.
    bool SpoolEnableDefault();
    /// Spooling disabled for every function of `stream`, or of every stream when it is 0.
    bool SpoolDisable(std::int32_t stream);

    // --- Wafer-map attributes ----------------------------------------------------------------

    /// Format and value of the first secs_S12setting row of `attribute`; false (reported) when
    /// there is none.
    bool getMapData(std::string_view attribute, std::string& format, std::string& data);
    /// The same on `table` (a stream 12 data table or secs_S12setting) for one occurrence.
    bool getMapData2(std::string_view table, std::string_view attribute, std::string_view number,
                     std::string& format, std::string& data);
    /// Every row of a stream 12 data table, in table order (one read where a message needs
    /// many attributes).
    std::vector<MapDataRow> MapDataRows(std::string_view table);
    /// Writes attribute_format and attribute_value of each of `rows` in a stream 12 data table,
    /// all in one transaction: a failure is reported and leaves the table as it was. Rows are
    /// never inserted; a missing one changes nothing.
    bool UpdateMapRows(std::string_view table, const std::vector<MapDataRow>& rows);

    // --- Text results for the application (program-directory database) ---------------------
    // A failure raises no error notification: the result is what was built before it, and the
    // failure is kept as LastError().

    /// The RPTIDs linked to event `evt_id`, in rpt_order, comma-separated ("" for none).
    std::string GetReportList(std::int32_t evt_id);
    /// The VIDs of report `rpt_id`, in var_order, comma-separated.
    std::string GetVIDList(std::int32_t rpt_id);
    /// var_format + "," + var_val of variable `vid` in `table` (secs_gemvar or secs_cusvar);
    /// "," when there is no such row.
    std::string GetVariableDetails(std::int32_t vid, std::string_view table);
    /// evt_enable of event `ceid` in `table` (secs_gemevent or secs_cusevent) as "True" or
    /// "False"; "" when there is no such row.
    std::string GetEventStatus(std::int32_t ceid, std::string_view table);
    /// The value of the GEM variable "PPDirectory".
    std::string GetRecipePath();
    /// Records one changed equipment constant in secs_ec_changed; `first` "1" empties the
    /// table first.
    void InsertECChanged(std::string_view first, std::string_view second, std::string_view third);

    // --- Direct statements of the host-message handlers (program-directory database) --------

    /// TotalCPname of remote command `rcmd` in RemoteCommand_RCMD, or "" when it is unknown.
    std::string ReadFromDB(std::string_view rcmd);
    /// The same query as `ReadFromDB`.
    std::string ReadTotalCPNames(std::string_view rcmd);
    /// ValueX of (`stream_function`, `name`) in `table` (secsgem_host_to_equip or
    /// secsgem_equip_to_host); "" and a report when there is no such row.
    std::string readfrommysqlgen(std::string_view table, std::string_view stream_function,
                                 std::string_view name);
    /// Writes ValueX of (`stream_function`, `name`) in `table`. A missing row is neither
    /// inserted nor an error: nothing changes and the result is true.
    bool UpdateMessageToMDB(std::string_view table, std::string_view stream_function,
                            std::string_view name, std::string_view value);
    /// Writes attribute_value of (`attribute`, `number`) in a stream 12 data table (a missing
    /// row, as for `UpdateMessageToMDB`, changes nothing and is no error).
    bool UpdateValueToMDB(std::string_view table, std::string_view attribute,
                          std::string_view number, std::string_view value);
    /// Writes attribute_format of (`attribute`, `number`) in a stream 12 data table as the
    /// format text of `format_code` ("L" ... "U4", "V", or "NotUsed").
    bool UpdateFormatToMDB(std::string_view table, std::string_view attribute,
                           std::string_view number, int format_code);

  private:
    SqliteConnection& Main();
    SqliteConnection& ProgramDb();
    std::shared_ptr<SqliteConnection> OpenConnection(const std::filesystem::path& path);
    void Report(std::string_view operation, int number, std::string text, bool notify = true);
    void RaiseStateChange(std::string_view name, const Variant& value);
    std::string WriteValue(std::string_view table, const RowKey& row, FLDID_VARIABLE field,
                           const Variant& value);

    // The error trap: runs `body`, and turns an exception into a report and `failure`.
    template <typename Result, typename Body>
    Result Trap(std::string_view operation, Result failure, Body&& body) {
        return Catch(operation, std::move(failure), std::forward<Body>(body), true);
    }

    // The quiet trap of the comma-separated text operations: a failure raises no error
    // notification (they return what they built so far) but is still kept as `LastError()`.
    template <typename Body>
    void Quietly(std::string_view operation, Body&& body) {
        Catch(
            operation, 0,
            [&] {
                std::forward<Body>(body)();
                return 0;
            },
            false);
    }

    template <typename Result, typename Body>
    Result Catch(std::string_view operation, Result failure, Body&& body, bool notify) {
        try {
            return std::forward<Body>(body)();
        } catch (const KestException& e) {
            Report(operation, e.Number(), e.what(), notify);
        } catch (const std::exception& e) {
            Report(operation, kInternalError, e.what(), notify);
        }
        return failure;
    }

    static constexpr int kInternalError = 51;

    std::filesystem::path program_directory_;
    std::string db_file_;
    GEMDBCacheMode cache_mode_ = GEMDBCacheMode::CheckEveryRead;
    // The same connection when DBFile is the program-directory file, so a write through either
    // drops what the other kept.
    std::shared_ptr<SqliteConnection> main_;
    std::shared_ptr<SqliteConnection> program_db_;
    std::weak_ptr<GEMDBEvents> parent_;
    GEMDBErrorInfo last_error_;
};

}  // namespace kest
