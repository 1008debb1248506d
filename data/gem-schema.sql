-- The GEM database: every table the control reads and writes.
--
-- Conventions:
-- * "long" columns are INTEGER holding 32-bit signed values; text columns are TEXT.
-- * Yes/no columns hold 0 or 1 and are tested as non-zero.
-- * Name and other text key columns compare without regard to case (COLLATE NOCASE);
--   IDs are exact.
-- * Text defaults follow the record classes: "NULL" marks an absent value.
-- * IDs 1 to 100 of events and variables belong to the GEM layer (secs_gemevent,
--   secs_gemvar); the application's own rows (ID 101 and above) go to secs_cusevent and
--   secs_cusvar. The CHECK constraints keep the two ranges apart.

CREATE TABLE secs_alarm (
    alm_id         INTEGER PRIMARY KEY CHECK (alm_id BETWEEN -2147483648 AND 2147483647),
    alm_name       TEXT COLLATE NOCASE DEFAULT 'NULL',
    alm_group      TEXT DEFAULT 'NORMAL',
    alm_text       TEXT DEFAULT 'NULL',
    alm_enable     INTEGER NOT NULL DEFAULT 0,
    alm_set_ceid   INTEGER NOT NULL DEFAULT 0,
    alm_set_cename TEXT DEFAULT 'NULL',
    alm_clr_ceid   INTEGER NOT NULL DEFAULT 0,
    alm_clr_cename TEXT DEFAULT 'NULL',
    alm_set        INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX secs_alarm_name ON secs_alarm (alm_name);

CREATE TABLE secs_gemevent (
    evt_id     INTEGER PRIMARY KEY CHECK (evt_id BETWEEN 1 AND 100),
    evt_name   TEXT COLLATE NOCASE DEFAULT 'NULL',
    evt_group  TEXT DEFAULT 'NULL',
    evt_text   TEXT DEFAULT 'NULL',
    evt_enable INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX secs_gemevent_name ON secs_gemevent (evt_name);

CREATE TABLE secs_cusevent (
    evt_id     INTEGER PRIMARY KEY CHECK (evt_id BETWEEN 101 AND 2147483647),
    evt_name   TEXT COLLATE NOCASE DEFAULT 'NULL',
    evt_group  TEXT DEFAULT 'NULL',
    evt_text   TEXT DEFAULT 'NULL',
    evt_enable INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX secs_cusevent_name ON secs_cusevent (evt_name);

CREATE TABLE secs_report (
    rpt_id      INTEGER PRIMARY KEY CHECK (rpt_id BETWEEN -2147483648 AND 2147483647),
    rpt_name    TEXT COLLATE NOCASE DEFAULT 'NULL',
    rpt_desc    TEXT DEFAULT 'NULL',
    rpt_default INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX secs_report_name ON secs_report (rpt_name);

CREATE TABLE secs_gemvar (
    var_id               INTEGER PRIMARY KEY CHECK (var_id BETWEEN 1 AND 100),
    var_name             TEXT COLLATE NOCASE DEFAULT 'NULL',
    var_group            TEXT DEFAULT 'GEM',
    var_desc             TEXT DEFAULT 'NULL',
    var_type             TEXT COLLATE NOCASE DEFAULT 'SV',
    var_format           TEXT DEFAULT 'A',
    var_val              TEXT DEFAULT 'NULL',
    var_defaultval       TEXT DEFAULT 'NULL',
    var_min              TEXT DEFAULT 'NULL',
    var_max              TEXT DEFAULT 'NULL',
    var_unit             TEXT DEFAULT 'NULL',
    var_parentkey        INTEGER NOT NULL DEFAULT 0,
    var_accessid         TEXT DEFAULT 'NULL',
    var_orderby_accessid INTEGER NOT NULL DEFAULT 0,
    var_allowduplicates  INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX secs_gemvar_name ON secs_gemvar (var_name);
CREATE INDEX secs_gemvar_parent ON secs_gemvar (var_parentkey, var_accessid);

CREATE TABLE secs_cusvar (
    var_id               INTEGER PRIMARY KEY CHECK (var_id BETWEEN 101 AND 2147483647),
    var_name             TEXT COLLATE NOCASE DEFAULT 'NULL',
    var_group            TEXT DEFAULT 'GEM',
    var_desc             TEXT DEFAULT 'NULL',
    var_type             TEXT COLLATE NOCASE DEFAULT 'SV',
    var_format           TEXT DEFAULT 'A',
    var_val              TEXT DEFAULT 'NULL',
    var_defaultval       TEXT DEFAULT 'NULL',
    var_min              TEXT DEFAULT 'NULL',
    var_max              TEXT DEFAULT 'NULL',
    var_unit             TEXT DEFAULT 'NULL',
    var_parentkey        INTEGER NOT NULL DEFAULT 0,
    var_accessid         TEXT DEFAULT 'NULL',
    var_orderby_accessid INTEGER NOT NULL DEFAULT 0,
    var_allowduplicates  INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX secs_cusvar_name ON secs_cusvar (var_name);
CREATE INDEX secs_cusvar_parent ON secs_cusvar (var_parentkey, var_accessid);

-- Settings are stored as text whatever the caller passes.
CREATE TABLE secs_setting (
    set_field      TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    set_value      TEXT,
    set_defaultval TEXT
);

-- Link tables keep duplicates: a pair linked twice is two rows, removed one per call.
CREATE TABLE secs_rpt_var (
    rpt_id    INTEGER NOT NULL,
    var_id    INTEGER NOT NULL,
    var_order INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX secs_rpt_var_report ON secs_rpt_var (rpt_id, var_order);

CREATE TABLE secs_evt_rpt (
    evt_id    INTEGER NOT NULL,
    rpt_id    INTEGER NOT NULL,
    rpt_order INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX secs_evt_rpt_event ON secs_evt_rpt (evt_id, rpt_order);
CREATE INDEX secs_evt_rpt_report ON secs_evt_rpt (rpt_id);

CREATE TABLE secs_def_evt_rpt (
    evt_id    INTEGER NOT NULL,
    rpt_id    INTEGER NOT NULL,
    rpt_order INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE limit_definition (
    limit_id        INTEGER NOT NULL,
    var_id          INTEGER NOT NULL,
    UpperDB         TEXT,
    LowerDB         TEXT,
    TRANSITION_TYPE INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX limit_definition_var ON limit_definition (var_id);
CREATE INDEX limit_definition_limit ON limit_definition (limit_id);

CREATE TABLE secs_trans (
    stream          INTEGER NOT NULL,
    function        INTEGER NOT NULL,
    primary_support INTEGER NOT NULL DEFAULT 0,
    spool_support   INTEGER NOT NULL DEFAULT 0,
    spool_enable    INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (stream, function)
);

-- Wafer-map set-up attributes by name; NumberX tells the occurrences of one attribute apart.
CREATE TABLE secs_S12setting (
    attribute_name   TEXT NOT NULL COLLATE NOCASE,
    attribute_format TEXT,
    attribute_value  TEXT,
    NumberX          TEXT NOT NULL COLLATE NOCASE DEFAULT 'NotUsed'
);
CREATE INDEX secs_S12setting_name ON secs_S12setting (attribute_name, NumberX);

CREATE TABLE secs_map_settings_default (
    attribute_id    INTEGER PRIMARY KEY,
    attribute_name  TEXT COLLATE NOCASE,
    attribute_value TEXT
);

-- Stream 12 item values, one table a direction, one row an item occurrence.
CREATE TABLE secs_S12data_EquipToHost (
    attribute_name   TEXT NOT NULL COLLATE NOCASE,
    NumberX          TEXT NOT NULL COLLATE NOCASE DEFAULT 'NotUsed',
    attribute_format TEXT NOT NULL DEFAULT 'NotUsed',
    attribute_value  TEXT,
    PRIMARY KEY (attribute_name, NumberX)
);

CREATE TABLE secs_S12data_HostToEquip (
    attribute_name   TEXT NOT NULL COLLATE NOCASE,
    NumberX          TEXT NOT NULL COLLATE NOCASE DEFAULT 'NotUsed',
    attribute_format TEXT NOT NULL DEFAULT 'NotUsed',
    attribute_value  TEXT,
    PRIMARY KEY (attribute_name, NumberX)
);

-- Values exchanged with the equipment software, by message name and item name.
CREATE TABLE secsgem_host_to_equip (
    StreamFunction TEXT NOT NULL COLLATE NOCASE,
    NameX          TEXT NOT NULL COLLATE NOCASE,
    ValueX         TEXT,
    PRIMARY KEY (StreamFunction, NameX)
);

CREATE TABLE secsgem_equip_to_host (
    StreamFunction TEXT NOT NULL COLLATE NOCASE,
    NameX          TEXT NOT NULL COLLATE NOCASE,
    ValueX         TEXT,
    PRIMARY KEY (StreamFunction, NameX)
);

-- Remote commands of the legacy S2F21 path; TotalCPname "0" marks a command without parameters.
CREATE TABLE RemoteCommand_RCMD (
    V_alue      TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    TotalCPname TEXT NOT NULL DEFAULT '0'
);

-- The equipment constants changed by the last accepted S2F15.
CREATE TABLE secs_ec_changed (
    Number TEXT,
    NamesX TEXT,
    V_alue TEXT
);
