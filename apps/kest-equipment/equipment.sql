-- The sample equipment's own content, applied once on top of the GEM defaults when its
-- database is created: a small deposition chamber with a temperature that drifts, a wafer and
-- lot counter, three alarms and three remote commands.

INSERT INTO secs_cusvar (var_id, var_name, var_group, var_desc, var_type, var_format, var_val,
                         var_defaultval, var_min, var_max, var_unit) VALUES
    (1001, 'ChamberTemperature', 'Chamber', 'Chamber temperature', 'SV', 'F4', '25', '25',
     '0', '500', 'C'),
    (1002, 'ChamberPressure', 'Chamber', 'Chamber pressure', 'SV', 'F4', '760', '760',
     '0', '1000', 'Torr'),
    (1003, 'WaferCount', 'Process', 'Wafers processed since start', 'SV', 'U4', '0', '0',
     'NULL', 'NULL', 'NULL'),
    (1004, 'LotCount', 'Process', 'Lots completed since start', 'SV', 'U4', '0', '0',
     'NULL', 'NULL', 'NULL'),
    (1005, 'RecipeName', 'Process', 'Recipe in use', 'SV', 'A', 'DEPOSIT-200', 'DEPOSIT-200',
     'NULL', 'NULL', 'NULL'),
    (1101, 'WaferID', 'Process', 'Wafer being processed', 'DV', 'A', 'NULL', 'NULL',
     'NULL', 'NULL', 'NULL'),
    (1102, 'LotID', 'Process', 'Lot being processed', 'DV', 'A', 'NULL', 'NULL',
     'NULL', 'NULL', 'NULL'),
    (1201, 'TargetTemperature', 'Setup', 'Process temperature set point', 'EC', 'F4', '200',
     '200', '20', '400', 'C'),
    (1202, 'WafersPerLot', 'Setup', 'Wafers in one lot', 'EC', 'U4', '5', '5', '1', '25',
     'NULL'),
    (1203, 'OverTemperatureLimit', 'Setup', 'Temperature that raises the alarm', 'EC', 'F4',
     '215', '215', '50', '500', 'C');

INSERT INTO secs_cusevent (evt_id, evt_name, evt_group, evt_text, evt_enable) VALUES
    (1001, 'WaferStarted', 'Process', 'A wafer entered the chamber', 1),
    (1002, 'WaferCompleted', 'Process', 'A wafer left the chamber', 1),
    (1003, 'LotCompleted', 'Process', 'The last wafer of a lot left the chamber', 1),
    (1011, 'OverTemperatureSet', 'Alarm', 'The chamber became too hot', 1),
    (1012, 'OverTemperatureCleared', 'Alarm', 'The chamber cooled down again', 1),
    (1013, 'DoorOpenSet', 'Alarm', 'The chamber door opened', 1),
    (1014, 'DoorOpenCleared', 'Alarm', 'The chamber door closed', 1),
    (1021, 'ProcessStopped', 'Process', 'The host stopped processing', 1),
    (1022, 'ProcessPaused', 'Process', 'The host paused processing', 1),
    (1023, 'ProcessResumed', 'Process', 'The host started or resumed processing', 1);

INSERT INTO secs_report (rpt_id, rpt_name, rpt_desc, rpt_default) VALUES
    (1001, 'WaferReport', 'Wafer, lot and recipe', 1),
    (1002, 'ChamberReport', 'Temperature and pressure', 1),
    (1003, 'CounterReport', 'Wafer and lot counters', 1);

INSERT INTO secs_rpt_var (rpt_id, var_id, var_order) VALUES
    (1001, 1101, 1), (1001, 1102, 2), (1001, 1005, 3),
    (1002, 1001, 1), (1002, 1002, 2),
    (1003, 1003, 1), (1003, 1004, 2);

INSERT INTO secs_def_evt_rpt (evt_id, rpt_id, rpt_order) VALUES
    (1001, 1001, 1),
    (1002, 1001, 1), (1002, 1002, 2),
    (1003, 1003, 1),
    (1011, 1002, 1), (1012, 1002, 1);

INSERT INTO secs_alarm (alm_id, alm_name, alm_group, alm_text, alm_enable, alm_set_ceid,
                        alm_set_cename, alm_clr_ceid, alm_clr_cename, alm_set) VALUES
    (1, 'OverTemperature', 'NORMAL', 'Chamber temperature above its limit', 1, 1011,
     'OverTemperatureSet', 1012, 'OverTemperatureCleared', 0),
    (2, 'DoorOpen', 'NORMAL', 'Chamber door open', 1, 1013, 'DoorOpenSet', 1014,
     'DoorOpenCleared', 0),
    (3, 'VacuumFault', 'NORMAL', 'Pump-down did not reach its pressure', 1, 0, 'NULL', 0,
     'NULL', 0);

INSERT INTO RemoteCommand_RCMD (V_alue, TotalCPname) VALUES
    ('START', '0'), ('STOP', '0'), ('PAUSE', '0'), ('BURST', '1');

-- The equipment identifies itself.
UPDATE secs_gemvar SET var_val = 'KEST-SAMPLE' WHERE var_name = 'EquipmentModel';
UPDATE secs_gemvar SET var_val = 'Kest sample chamber' WHERE var_name = 'EquipmentName';
UPDATE secs_gemvar SET var_val = '1.0.0' WHERE var_name = 'SoftwareRevision';

-- A 10 x 10 wafer map the host can pull (S12F1 set-up, S12F11 dies) and the rows its own map
-- data is stored into (S12F4 set-up, S12F18 dies).
INSERT INTO secs_S12data_EquipToHost (attribute_name, NumberX, attribute_format, attribute_value)
VALUES
    ('MID', 'NotUsed', 'A', 'W10X10'), ('IDTYP', 'NotUsed', 'B', '0'),
    ('FNLOC', 'NotUsed', 'U2', '0'), ('FFROT', 'NotUsed', 'U2', '0'),
    ('ORLOC', 'NotUsed', 'B', '2'), ('RPSEL', 'NotUsed', 'U1', '0'),
    ('REFP_Type', 'NotUsed', 'A', '1'), ('REFP_Count', 'NotUsed', 'U4', '2'),
    ('REFP', '1', 'I2', '0,0'), ('REFP', '2', 'I2', '9,9'),
    ('DUTMS', 'NotUsed', 'A', 'mm'), ('XDIES', 'NotUsed', 'U4', '5000'),
    ('YDIES', 'NotUsed', 'U4', '5000'), ('ROWCT', 'NotUsed', 'U4', '10'),
    ('COLCT', 'NotUsed', 'U4', '10'), ('NULBC', 'NotUsed', 'A', '.'),
    ('PRDCT', 'NotUsed', 'U4', '100'), ('PRAXI', 'NotUsed', 'B', '0'),
    ('SDBIN', 'NotUsed', 'B', '0'), ('S12F11_Count', 'NotUsed', 'U4', '100');
INSERT INTO secs_S12data_EquipToHost (attribute_name, NumberX, attribute_format, attribute_value)
WITH RECURSIVE die(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM die WHERE k < 100)
SELECT 'XYPOS', k, 'I2', ((k - 1) % 10) || ',' || ((k - 1) / 10) FROM die
UNION ALL SELECT 'BINLT', k, 'A', CASE WHEN k % 7 = 0 THEN 'X' ELSE '1' END FROM die;
INSERT INTO secs_S12data_HostToEquip (attribute_name, NumberX, attribute_format, attribute_value)
WITH RECURSIVE die(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM die WHERE k < 100)
SELECT 'XYPOS', k, 'NotUsed', 'NULL' FROM die
UNION ALL SELECT 'BINLT', k, 'NotUsed', 'NULL' FROM die
UNION ALL SELECT 'REFP', k, 'NotUsed', 'NULL' FROM die WHERE k <= 2;
