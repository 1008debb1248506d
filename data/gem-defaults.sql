-- The rows a fresh GEM database needs: the GEM variables and collection events the control
-- addresses by name, the default reports and their links, every settings row, the
-- stream/function table and the message rows that are updated but never inserted.
-- data/README.md lists the IDs.

-- GEM variables (VID 1 to 100). Columns: id, name, type, format, value, default, min, max,
-- unit, description. State values are decimal texts; "NULL" marks an absent value.
INSERT INTO secs_gemvar
    (var_id, var_name, var_type, var_format, var_val, var_defaultval, var_min, var_max,
     var_unit, var_desc)
VALUES
    (1, 'Clock', 'SV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'Equipment date and time, read from the clock: 12 or 16 characters by TimeFormat'),
    (2, 'CommState', 'SV', 'U1', '0', '0', 'NULL', 'NULL', 'NULL',
     'Communication state: 0 disabled, 1 enabled not communicating, 2 communicating'),
    (3, 'InitCommState', 'EC', 'U1', '1', '1', '0', '1', 'NULL',
     'Communication state at start: 1 enabled, 0 disabled'),
    (4, 'EstablishCommunicationTimeout', 'EC', 'U2', '10', '10', '0', '1800', 's',
     'Seconds between establish-communication attempts'),
    (5, 'HeartBeat', 'EC', 'U2', '0', '0', '0', '60', 's',
     'Seconds between are-you-there requests while communicating; 0 switches them off'),
    (6, 'TimeFormat', 'EC', 'U1', '1', '1', '0', '1', 'NULL',
     'Clock format: 0 yymmddhhmmss, 1 yyyymmddhhmmss00'),
    (7, 'ControlState', 'SV', 'U1', '1', '1', 'NULL', 'NULL', 'NULL',
     'Control state: 1 equipment offline, 2 attempt online, 3 host offline, 4 online local, 5 online remote'),
    (8, 'PreviousControlState', 'DV', 'U1', '1', '1', 'NULL', 'NULL', 'NULL',
     'Control state before the last change'),
    (9, 'InitControlState', 'EC', 'U1', '2', '2', '1', '2', 'NULL',
     'Control state class at start: 1 offline, 2 online'),
    (10, 'OfflineSubstate', 'EC', 'U1', '1', '1', '1', '3', 'NULL',
     'Offline state taken at start and on an operator switch: 1 equipment offline, 3 host offline'),
    (11, 'OnlineSubstate', 'EC', 'U1', '5', '5', '4', '5', 'NULL',
     'Online state taken when going online: 4 online local, 5 online remote'),
    (12, 'OnlineFailed', 'EC', 'U1', '3', '3', '1', '3', 'NULL',
     'Offline state taken when an online attempt fails: 1 equipment offline, 3 host offline'),
    (13, 'EquipmentModel', 'SV', 'A', 'KEST', 'KEST', 'NULL', 'NULL', 'NULL',
     'Equipment model type (MDLN)'),
    (14, 'EquipmentName', 'SV', 'A', 'KEST EQUIPMENT', 'KEST EQUIPMENT', 'NULL', 'NULL', 'NULL',
     'Equipment name shown to the operator'),
    (15, 'SoftwareRevision', 'SV', 'A', '0.1.0', '0.1.0', 'NULL', 'NULL', 'NULL',
     'Software revision (SOFTREV)'),
    (16, 'ProcessState', 'SV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'Process state, as the application reports it'),
    (17, 'PreviousProcessState', 'SV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'Process state before the last change'),
    (18, 'PPExecName', 'SV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'Executing process program'),
    (19, 'PPChangeName', 'DV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'Process program of the last change'),
    (20, 'PPChangeStatus', 'DV', 'U1', '0', '0', 'NULL', 'NULL', 'NULL',
     'Last process program change: 0 unknown, 1 created, 2 changing, 3 deleted'),
    (21, 'PPDirectory', 'SV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'Recipe directory; NULL until the operator chooses one'),
    (22, 'PPFileExt', 'SV', 'A', 'rcp', 'rcp', 'NULL', 'NULL', 'NULL',
     'File extension of the recipes the upload dialog lists'),
    (23, 'AlarmID', 'DV', 'U4', '0', '0', 'NULL', 'NULL', 'NULL',
     'ALID of the last alarm report'),
    (24, 'AlarmState', 'DV', 'U1', '0', '0', 'NULL', 'NULL', 'NULL',
     'State of the last reported alarm: 1 set, 0 cleared'),
    (25, 'AlarmsEnable', 'SV', 'L', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'ALIDs of the enabled alarms, read from the alarm table'),
    (26, 'AlarmsSet', 'SV', 'L', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'ALIDs of the alarms currently set, read from the alarm table'),
    (27, 'EventsEnabled', 'SV', 'L', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'CEIDs of the enabled collection events, read from the event tables'),
    (28, 'PreviousCEID', 'DV', 'U4', '0', '0', 'NULL', 'NULL', 'NULL',
     'CEID of the last collection event report sent'),
    (29, 'PreviousCommand', 'DV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'Last remote command'),
    (30, 'EventLimit', 'DV', 'B', '0', '0', 'NULL', 'NULL', 'NULL',
     'LIMITID of the last limit zone transition'),
    (31, 'LimitVariable', 'DV', 'U4', '0', '0', 'NULL', 'NULL', 'NULL',
     'VID of the last limit zone transition'),
    (32, 'TransitionType', 'DV', 'U1', '0', '0', 'NULL', 'NULL', 'NULL',
     'Last limit zone transition: 0 lower to upper, 1 upper to lower'),
    (33, 'SpoolState', 'SV', 'U1', '2', '2', 'NULL', 'NULL', 'NULL',
     'Spool state: 1 active, 2 inactive'),
    (34, 'SpoolLoadSubstate', 'SV', 'U1', '6', '6', 'NULL', 'NULL', 'NULL',
     'Spool load substate: 6 not full, 7 full'),
    (35, 'SpoolUnloadSubstate', 'SV', 'U1', '5', '5', 'NULL', 'NULL', 'NULL',
     'Spool unload substate: 3 purge, 4 transmit, 5 no output'),
    (36, 'SpoolCountTotal', 'SV', 'U4', '0', '0', 'NULL', 'NULL', 'NULL',
     'Messages spooled since spooling became active, overwritten ones included'),
    (37, 'SpoolCountActual', 'SV', 'U4', '0', '0', 'NULL', 'NULL', 'NULL',
     'Messages in the spool now, counted when read'),
    (38, 'SpoolStartTime', 'SV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'When spooling became active (yyyymmddhhmmss00)'),
    (39, 'SpoolFullTime', 'SV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'When the spool became full (yyyymmddhhmmss00)'),
    (40, 'ConfigSpool', 'EC', 'U1', '1', '1', '0', '1', 'NULL',
     'Spooling allowed: 1 yes, 0 no'),
    (41, 'MaxSpoolTransmit', 'EC', 'U4', '0', '0', '0', '1000', 'NULL',
     'Messages sent per spool transmit request (0 all); its maximum is the spool capacity'),
    (42, 'OverWriteSpool', 'EC', 'BL', 'FALSE', 'FALSE', 'NULL', 'NULL', 'NULL',
     'When the spool is full, TRUE drops the oldest message for the new one'),
    (43, 'WBITS5', 'EC', 'U1', '1', '1', '0', '1', 'NULL',
     'W-bit of S5F1 alarm reports: 1 reply expected, 0 none'),
    (44, 'WBITS6', 'EC', 'U1', '1', '1', '0', '1', 'NULL',
     'W-bit of S6F11 event reports and S6F1 trace data: 1 reply expected, 0 none'),
    (45, 'WBITS10', 'EC', 'U1', '1', '1', '0', '1', 'NULL',
     'W-bit of S10F1 terminal requests: 1 reply expected, 0 none'),
    (46, 'ObjectID', 'DV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'Object (map file) of the last map transfer'),
    (47, 'ObjectSpec', 'SV', 'A', 'NULL', 'NULL', 'NULL', 'NULL', 'NULL',
     'OBJSPEC of the S14F1 map request; NULL sends the equipment itself'),
    (48, 'ObjectType', 'SV', 'A', 'Substrate', 'Substrate', 'NULL', 'NULL', 'NULL',
     'OBJTYPE of the S14F1 map request'),
    (49, 'AttributeID', 'SV', 'A', 'SubstrateType', 'SubstrateType', 'NULL', 'NULL', 'NULL',
     'ATTRID of the S14F1 qualifier'),
    (50, 'AttributeData', 'SV', 'A', 'Wafer', 'Wafer', 'NULL', 'NULL', 'NULL',
     'ATTRDATA of the S14F1 qualifier'),
    (51, 'AttributeRelationship', 'SV', 'U1', '0', '0', '0', '7', 'NULL',
     'ATTRRELN of the S14F1 qualifier: 0 equal ... 7 value absent');

-- GEM collection events (CEID 1 to 100), enabled.
INSERT INTO secs_gemevent (evt_id, evt_name, evt_group, evt_text, evt_enable) VALUES
    (1, 'GemControlStateOFFLINE', 'GEM', 'Control state changed to an offline state', 1),
    (2, 'GemControlStateLOCAL', 'GEM', 'Control state changed to online local', 1),
    (3, 'GemControlStateREMOTE', 'GEM', 'Control state changed to online remote', 1),
    (4, 'GemProcessStateChange', 'GEM', 'Process state changed', 1),
    (5, 'GemPPChangeEvent', 'GEM', 'A process program was created, changed or deleted', 1),
    (6, 'GemSpoolingActivated', 'GEM', 'Spooling became active', 1),
    (7, 'GemSpoolingDeactivated', 'GEM', 'Spooling ended after transmit or purge', 1),
    (8, 'GemSpoolTransmitFailure', 'GEM', 'Transmitting the spool failed', 1),
    (9, 'GemLimitZoneTransition', 'GEM', 'A variable crossed one of its limits', 1),
    (10, 'GemMessageAcknowledge', 'GEM', 'The operator acknowledged a terminal message', 1),
    (16, 'GemMapDataUpload', 'GEM', 'Map data upload (the sender fixes CEID 16 and RPTID 7)', 1);

-- Default reports (RPTID 1 to 100) and their variables, in order.
INSERT INTO secs_report (rpt_id, rpt_name, rpt_desc, rpt_default) VALUES
    (1, 'ControlStateChange', 'Control state, previous control state, clock', 1),
    (2, 'ProcessStateChange', 'Process state, previous process state, clock', 1),
    (3, 'PPChange', 'Process program change name and status, clock', 1),
    (4, 'SpoolStatus', 'Spool state, counts and times', 1),
    (5, 'LimitZoneTransition', 'Variable, limit and direction of the transition', 1),
    (6, 'MessageAcknowledge', 'Clock', 1),
    (7, 'MapDataUpload', 'Map data: the sender adds the bytes itself', 1);

INSERT INTO secs_rpt_var (rpt_id, var_id, var_order) VALUES
    (1, 7, 1), (1, 8, 2), (1, 1, 3),
    (2, 16, 1), (2, 17, 2), (2, 1, 3),
    (3, 19, 1), (3, 20, 2), (3, 1, 3),
    (4, 33, 1), (4, 37, 2), (4, 36, 3), (4, 38, 4), (4, 39, 5),
    (5, 31, 1), (5, 30, 2), (5, 32, 3),
    (6, 1, 1);

-- Default event/report links, copied into secs_evt_rpt at every start.
INSERT INTO secs_def_evt_rpt (evt_id, rpt_id, rpt_order) VALUES
    (1, 1, 1), (2, 1, 1), (3, 1, 1),
    (4, 2, 1),
    (5, 3, 1),
    (6, 4, 1), (7, 4, 1), (8, 4, 1),
    (9, 5, 1),
    (10, 6, 1),
    (16, 7, 1);
INSERT INTO secs_evt_rpt (evt_id, rpt_id, rpt_order)
    SELECT evt_id, rpt_id, rpt_order FROM secs_def_evt_rpt;

-- Settings: value in force and saved default.
INSERT INTO secs_setting (set_field, set_value, set_defaultval) VALUES
    ('GEMDatabase', 'NULL', 'NULL'),
    ('PortOpened', 'FALSE', 'FALSE'),
    ('PortOpenAtStartUp', 'TRUE', 'TRUE'),
    ('ConnectionPortType', 'HSMS', 'HSMS'),
    ('BaudRate', '9600', '9600'),
    ('SerialPort', '/dev/ttyS0', '/dev/ttyS0'),
    ('HSMSConnectionType', 'PASSIVE', 'PASSIVE'),
    ('LocalIPAddress', '0.0.0.0', '0.0.0.0'),
    ('LocalIPPort', '5001', '5001'),
    ('RemoteIPAddress', '127.0.0.1', '127.0.0.1'),
    ('RemoteIPPort', '5001', '5001'),
    ('DeviceID', '0', '0'),
    ('T1Timeout', '0.5', '0.5'),
    ('T2Timeout', '10', '10'),
    ('T3Timeout', '45', '45'),
    ('T4Timeout', '45', '45'),
    ('T5Timeout', '10', '10'),
    ('T6Timeout', '5', '5'),
    ('T7Timeout', '10', '10'),
    ('T8Timeout', '5', '5'),
    ('TimeOutRetry', '0', '0'),
    ('ConnectionRetryLimit', '3', '3'),
    ('SECSDictionaryFile', 'Default.xml', 'Default.xml'),
    ('SECSLogFile', 'Log/SECSII.log', 'Log/SECSII.log'),
    ('SECSILogPath', 'Log', 'Log'),
    ('AlarmEnableAll', 'TRUE', 'TRUE'),
    ('EventEnableAll', 'TRUE', 'TRUE'),
    ('AutoPurge', '120', '120'),
    ('S1F11SupportSV', 'FALSE', 'FALSE'),
    ('AdministratorPassword', 'kestadmin', 'kestadmin'),
    -- SYSTEM: the host sets the machine's clock; OFFSET: an offset kept below, in milliseconds.
    ('EquipmentClock', 'SYSTEM', 'SYSTEM'),
    ('EquipmentClockOffset', '0', '0');

-- One row per primary the equipment sends or answers. Spooled, as a GEM host expects: the
-- reports the equipment sends on its own (alarms, trace data, event reports, terminal
-- requests); never stream 1, never stream 9, never an exchange that is only meaningful live.
INSERT INTO secs_trans (stream, function, primary_support, spool_support, spool_enable) VALUES
    (1, 1, 1, 0, 0), (1, 3, 1, 0, 0), (1, 11, 1, 0, 0), (1, 13, 1, 0, 0),
    (1, 15, 1, 0, 0), (1, 17, 1, 0, 0), (1, 21, 1, 0, 0), (1, 23, 1, 0, 0),
    (2, 13, 1, 0, 0), (2, 15, 1, 0, 0), (2, 17, 1, 0, 0), (2, 21, 1, 0, 0),
    (2, 23, 1, 0, 0), (2, 25, 1, 0, 0), (2, 29, 1, 0, 0), (2, 31, 1, 0, 0),
    (2, 33, 1, 0, 0), (2, 35, 1, 0, 0), (2, 37, 1, 0, 0), (2, 39, 1, 0, 0),
    (2, 41, 1, 0, 0), (2, 43, 1, 0, 0), (2, 45, 1, 0, 0), (2, 47, 1, 0, 0),
    (2, 49, 1, 0, 0),
    (5, 1, 0, 1, 1), (5, 3, 1, 0, 0), (5, 5, 1, 0, 0), (5, 7, 1, 0, 0),
    (6, 1, 0, 1, 1), (6, 11, 0, 1, 1), (6, 15, 1, 0, 0), (6, 19, 1, 0, 0), (6, 23, 1, 0, 0),
    (7, 1, 1, 0, 0), (7, 3, 1, 0, 0), (7, 5, 1, 0, 0), (7, 17, 1, 0, 0), (7, 19, 1, 0, 0),
    (7, 23, 0, 0, 0),
    (9, 1, 0, 0, 0), (9, 3, 0, 0, 0), (9, 5, 0, 0, 0), (9, 7, 0, 0, 0), (9, 9, 0, 0, 0),
    (9, 11, 0, 0, 0), (9, 13, 0, 0, 0),
    (10, 1, 0, 1, 1), (10, 3, 1, 0, 0), (10, 5, 1, 0, 0),
    (12, 1, 0, 0, 0), (12, 3, 0, 0, 0), (12, 5, 0, 0, 0), (12, 7, 0, 0, 0), (12, 9, 0, 0, 0),
    (12, 11, 0, 0, 0), (12, 13, 0, 0, 0), (12, 15, 0, 0, 0), (12, 17, 0, 0, 0),
    (12, 19, 0, 0, 0),
    (14, 1, 0, 0, 0);

-- Message rows that the handlers update and never insert.
INSERT INTO secsgem_host_to_equip (StreamFunction, NameX, ValueX) VALUES
    ('S10F3', 'MessageFromHost', 'NULL');
INSERT INTO secsgem_equip_to_host (StreamFunction, NameX, ValueX) VALUES
    ('S2F42', 'HCACK_NeedReply_To_Host', '0');

-- Stream 12 replies: one row per single item the reply handlers store, plus the counters and
-- the trigger. Rows for repeated items (REFP, RSINF, XYPOS and BINLT with NumberX 1, 2, ...)
-- are the application's to add, as many as its maps need.
INSERT INTO secs_S12data_HostToEquip (attribute_name, NumberX, attribute_format, attribute_value)
VALUES
    ('SDACK', 'NotUsed', 'NotUsed', 'NULL'), ('MID', 'NotUsed', 'NotUsed', 'NULL'),
    ('IDTYP', 'NotUsed', 'NotUsed', 'NULL'), ('FNLOC', 'NotUsed', 'NotUsed', 'NULL'),
    ('ORLOC', 'NotUsed', 'NotUsed', 'NULL'), ('RPSEL', 'NotUsed', 'NotUsed', 'NULL'),
    ('DUTMS', 'NotUsed', 'NotUsed', 'NULL'), ('XDIES', 'NotUsed', 'NotUsed', 'NULL'),
    ('YDIES', 'NotUsed', 'NotUsed', 'NULL'), ('ROWCT', 'NotUsed', 'NotUsed', 'NULL'),
    ('COLCT', 'NotUsed', 'NotUsed', 'NULL'), ('PRDCT', 'NotUsed', 'NotUsed', 'NULL'),
    ('BCEQU', 'NotUsed', 'NotUsed', 'NULL'), ('NULBC', 'NotUsed', 'NotUsed', 'NULL'),
    ('MLCL', 'NotUsed', 'NotUsed', 'NULL'), ('GRNT', 'NotUsed', 'NotUsed', 'NULL'),
    ('MDACK', 'NotUsed', 'NotUsed', 'NULL'), ('STRP', 'NotUsed', 'NotUsed', 'NULL'),
    ('BINLT', 'NotUsed', 'NotUsed', 'NULL'),
    ('S12F4_ChildCount', 'NotUsed', 'U4', '0'), ('S12F14_ChildCount', 'NotUsed', 'U4', '0'),
    ('S12F18_ChildCount', 'NotUsed', 'U4', '0'), ('S12_Trigger', 'NotUsed', 'A', 'NULL');
