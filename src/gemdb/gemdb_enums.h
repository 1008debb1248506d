#pragma once

namespace kest {

/// How `GEMDB` notices writes by other connections to its database (its read cache).
enum class GEMDBCacheMode {
    CheckEveryRead,  ///< "PRAGMA data_version" before each kept read is served
    UntilNoticed,    ///< kept reads trusted until `GEMDB::NoticeExternalChange`
};

/// The record types of the table information list, in its order.
enum class GEM_RECORDTYPE {
    REC_ALARM = 1,
    REC_EVENT = 2,
    REC_REPORT = 3,
    REC_VARIABLE = 4,
    REC_SETTING = 5,
    REC_EVTRPT = 6,
    REC_RPTVAR = 7,
    REC_LIMIT = 8,
    REC_TRANS = 9,
    REC_MAP = 10,
};

/// Columns of secs_alarm, in table order.
enum class FLDID_ALARM {
    ALM_ID = 1,
    ALM_NAME = 2,
    ALM_GROUP = 3,
    ALM_TEXT = 4,
    ALM_ENABLE = 5,
    ALM_SET_CEID = 6,
    ALM_SET_CENAME = 7,
    ALM_CLR_CEID = 8,
    ALM_CLR_CENAME = 9,
    ALM_SET = 10,
};

/// Columns of secs_gemevent and secs_cusevent, in table order.
enum class FLDID_EVENT {
    EVT_ID = 1,
    EVT_NAME = 2,
    EVT_GROUP = 3,
    EVT_TEXT = 4,
    EVT_ENABLE = 5,
};

/// Columns of secs_report, in table order.
enum class FLDID_REPORT {
    RPT_ID = 1,
    RPT_NAME = 2,
    RPT_DESC = 3,
    RPT_DEFAULT = 4,
};

/// Columns of secs_gemvar and secs_cusvar, in table order.
enum class FLDID_VARIABLE {
    VAR_ID = 1,
    VAR_NAME = 2,
    VAR_GROUP = 3,
    VAR_DESC = 4,
    VAR_TYPE = 5,
    VAR_FORMAT = 6,
    VAR_VAL = 7,
    VAR_DEFAULTVAL = 8,
    VAR_MIN = 9,
    VAR_MAX = 10,
    VAR_UNIT = 11,
    VAR_PARENTKEY = 12,
    VAR_ACCESSID = 13,
    VAR_ORDERBY_ACCESSID = 14,
    VAR_ALLOWDUPLICATES = 15,
};

/// Value columns of secs_setting.
enum class FLDID_SETTING {
    SET_VALUE = 1,
    SET_DEFAULTVAL = 2,
};

/// Flag columns of secs_trans.
enum class FLDID_SECSTRANS {
    PRIMARY_SUPPORT = 1,
    SPOOL_SUPPORT = 2,
    SPOOL_ENABLE = 3,
};

/// Columns of secs_map_settings_default.
enum class FLDID_SECSMAP {
    ATTRIBUTE_ID = 1,
    attribute_name = 2,
    ATTRIBUTE_VALUE = 3,
};

}  // namespace kest
