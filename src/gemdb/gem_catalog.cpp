#include "gemdb/gem_catalog.h"

#include <array>

namespace kest {

namespace {

using Names = std::string_view;

constexpr std::array<Names, 10> kAlarm{
    "alm_id",       "alm_name",       "alm_group",    "alm_text",       "alm_enable",
    "alm_set_ceid", "alm_set_cename", "alm_clr_ceid", "alm_clr_cename", "alm_set"};
constexpr std::array<Names, 5> kEvent{"evt_id", "evt_name", "evt_group", "evt_text", "evt_enable"};
constexpr std::array<Names, 4> kReport{"rpt_id", "rpt_name", "rpt_desc", "rpt_default"};
constexpr std::array<Names, 15> kVariable{"var_id",
                                          "var_name",
                                          "var_group",
                                          "var_desc",
                                          "var_type",
                                          "var_format",
                                          "var_val",
                                          "var_defaultval",
                                          "var_min",
                                          "var_max",
                                          "var_unit",
                                          "var_parentkey",
                                          "var_accessid",
                                          "var_orderby_accessid",
                                          "var_allowduplicates"};
constexpr std::array<Names, 3> kSetting{"set_field", "set_value", "set_defaultval"};
constexpr std::array<Names, 3> kRptVar{"rpt_id", "var_id", "var_order"};
constexpr std::array<Names, 3> kEvtRpt{"evt_id", "rpt_id", "rpt_order"};
constexpr std::array<Names, 5> kLimit{"limit_id", "var_id", "UpperDB", "LowerDB",
                                      "TRANSITION_TYPE"};
constexpr std::array<Names, 5> kTrans{"stream", "function", "primary_support", "spool_support",
                                      "spool_enable"};
constexpr std::array<Names, 4> kS12Setting{"attribute_name", "attribute_format", "attribute_value",
                                           "NumberX"};
constexpr std::array<Names, 3> kMapDefault{"attribute_id", "attribute_name", "attribute_value"};
constexpr std::array<Names, 4> kS12Data{"attribute_name", "NumberX", "attribute_format",
                                        "attribute_value"};
constexpr std::array<Names, 3> kMessages{"StreamFunction", "NameX", "ValueX"};
constexpr std::array<Names, 2> kRemoteCommand{"V_alue", "TotalCPname"};
constexpr std::array<Names, 3> kEcChanged{"Number", "NamesX", "V_alue"};

constexpr std::array<RequiredTable, 20> kTables{{
    {"secs_alarm", kAlarm},
    {"secs_gemevent", kEvent},
    {"secs_cusevent", kEvent},
    {"secs_report", kReport},
    {"secs_gemvar", kVariable},
    {"secs_cusvar", kVariable},
    {"secs_setting", kSetting},
    {"secs_rpt_var", kRptVar},
    {"secs_evt_rpt", kEvtRpt},
    {"secs_def_evt_rpt", kEvtRpt},
    {"limit_definition", kLimit},
    {"secs_trans", kTrans},
    {"secs_S12setting", kS12Setting},
    {"secs_map_settings_default", kMapDefault},
    {"secs_S12data_EquipToHost", kS12Data},
    {"secs_S12data_HostToEquip", kS12Data},
    {"secsgem_host_to_equip", kMessages},
    {"secsgem_equip_to_host", kMessages},
    {"RemoteCommand_RCMD", kRemoteCommand},
    {"secs_ec_changed", kEcChanged},
}};

constexpr std::array<Names, 51> kGemVariables{"Clock",
                                              "CommState",
                                              "InitCommState",
                                              "EstablishCommunicationTimeout",
                                              "HeartBeat",
                                              "TimeFormat",
                                              "ControlState",
                                              "PreviousControlState",
                                              "InitControlState",
                                              "OfflineSubstate",
                                              "OnlineSubstate",
                                              "OnlineFailed",
                                              "EquipmentModel",
                                              "EquipmentName",
                                              "SoftwareRevision",
                                              "ProcessState",
                                              "PreviousProcessState",
                                              "PPExecName",
                                              "PPChangeName",
                                              "PPChangeStatus",
                                              "PPDirectory",
                                              "PPFileExt",
                                              "AlarmID",
                                              "AlarmState",
                                              "AlarmsEnable",
                                              "AlarmsSet",
                                              "EventsEnabled",
                                              "PreviousCEID",
                                              "PreviousCommand",
                                              "EventLimit",
                                              "LimitVariable",
                                              "TransitionType",
                                              "SpoolState",
                                              "SpoolLoadSubstate",
                                              "SpoolUnloadSubstate",
                                              "SpoolCountTotal",
                                              "SpoolCountActual",
                                              "SpoolStartTime",
                                              "SpoolFullTime",
                                              "ConfigSpool",
                                              "MaxSpoolTransmit",
                                              "OverWriteSpool",
                                              "WBITS5",
                                              "WBITS6",
                                              "WBITS10",
                                              "ObjectID",
                                              "ObjectSpec",
                                              "ObjectType",
                                              "AttributeID",
                                              "AttributeData",
                                              "AttributeRelationship"};

constexpr std::array<Names, 10> kGemEvents{"GemControlStateOFFLINE", "GemControlStateLOCAL",
                                           "GemControlStateREMOTE",  "GemProcessStateChange",
                                           "GemPPChangeEvent",       "GemSpoolingActivated",
                                           "GemSpoolingDeactivated", "GemSpoolTransmitFailure",
                                           "GemLimitZoneTransition", "GemMessageAcknowledge"};

constexpr std::array<Names, 32> kSettings{"GEMDatabase",        "PortOpened",
                                          "PortOpenAtStartUp",  "ConnectionPortType",
                                          "BaudRate",           "SerialPort",
                                          "HSMSConnectionType", "LocalIPAddress",
                                          "LocalIPPort",        "RemoteIPAddress",
                                          "RemoteIPPort",       "DeviceID",
                                          "T1Timeout",          "T2Timeout",
                                          "T3Timeout",          "T4Timeout",
                                          "T5Timeout",          "T6Timeout",
                                          "T7Timeout",          "T8Timeout",
                                          "TimeOutRetry",       "ConnectionRetryLimit",
                                          "SECSDictionaryFile", "SECSLogFile",
                                          "SECSILogPath",       "AlarmEnableAll",
                                          "EventEnableAll",     "AutoPurge",
                                          "S1F11SupportSV",     "AdministratorPassword",
                                          "EquipmentClock",     "EquipmentClockOffset"};

// Single items, counters and the trigger that the stream 12 reply handlers write.
constexpr std::array<RequiredRow, 25> kRows{{
    {"secsgem_host_to_equip", "S10F3", "MessageFromHost"},
    {"secsgem_equip_to_host", "S2F42", "HCACK_NeedReply_To_Host"},
    {"secs_S12data_HostToEquip", "SDACK", "NotUsed"},
    {"secs_S12data_HostToEquip", "MID", "NotUsed"},
    {"secs_S12data_HostToEquip", "IDTYP", "NotUsed"},
    {"secs_S12data_HostToEquip", "FNLOC", "NotUsed"},
    {"secs_S12data_HostToEquip", "ORLOC", "NotUsed"},
    {"secs_S12data_HostToEquip", "RPSEL", "NotUsed"},
    {"secs_S12data_HostToEquip", "DUTMS", "NotUsed"},
    {"secs_S12data_HostToEquip", "XDIES", "NotUsed"},
    {"secs_S12data_HostToEquip", "YDIES", "NotUsed"},
    {"secs_S12data_HostToEquip", "ROWCT", "NotUsed"},
    {"secs_S12data_HostToEquip", "COLCT", "NotUsed"},
    {"secs_S12data_HostToEquip", "PRDCT", "NotUsed"},
    {"secs_S12data_HostToEquip", "BCEQU", "NotUsed"},
    {"secs_S12data_HostToEquip", "NULBC", "NotUsed"},
    {"secs_S12data_HostToEquip", "MLCL", "NotUsed"},
    {"secs_S12data_HostToEquip", "GRNT", "NotUsed"},
    {"secs_S12data_HostToEquip", "MDACK", "NotUsed"},
    {"secs_S12data_HostToEquip", "STRP", "NotUsed"},
    {"secs_S12data_HostToEquip", "BINLT", "NotUsed"},
    {"secs_S12data_HostToEquip", "S12F4_ChildCount", "NotUsed"},
    {"secs_S12data_HostToEquip", "S12F14_ChildCount", "NotUsed"},
    {"secs_S12data_HostToEquip", "S12F18_ChildCount", "NotUsed"},
    {"secs_S12data_HostToEquip", "S12_Trigger", "NotUsed"},
}};

}  // namespace

std::span<const RequiredTable> RequiredTables() noexcept {
    return kTables;
}

std::span<const std::string_view> RequiredGemVariables() noexcept {
    return kGemVariables;
}

std::span<const std::string_view> RequiredGemEvents() noexcept {
    return kGemEvents;
}

std::span<const std::string_view> RequiredSettings() noexcept {
    return kSettings;
}

std::span<const RequiredRow> RequiredRows() noexcept {
    return kRows;
}

}  // namespace kest
