#pragma once

#include <vector>

#include "ui/frm_main_fields.h"

namespace kest {

class GemContext;

// Each function rebuilds one area of the operator window from the GEM database and the
// control's lists. A database failure has been reported by the database; what could be read
// is shown.

/// Communication, control, process and equipment texts.
void ShowAllStatus(GemContext& control, frmMainFields& fields);
/// Process state, process programs, equipment name, model and revision.
void ShowEquipment(GemContext& control, frmMainFields& fields);
/// The spool state, its substates and counts.
void ShowSpoolStatus(GemContext& control, frmMainFields& fields);
/// The connection field and the port menu items, from the setting "PortOpened".
void ShowConnection(GemContext& control, frmMainFields& fields);

/// The enabled events: GEM events first, then the equipment's, each in table order.
std::vector<EnabledEventRow> ListEnabledEvents(GemContext& control);
/// The enabled alarms in table order, each with its set or clear state.
std::vector<EnabledAlarmRow> ListEnabledAlarms(GemContext& control);
/// The alarms that are set, in table order.
std::vector<SetAlarmRow> ListSetAlarms(GemContext& control);
/// The running traces, in the order they were set up.
std::vector<TraceRow> ListTraces(GemContext& control);
/// Every limit, grouped by variable.
std::vector<LimitRow> ListLimits(GemContext& control);

}  // namespace kest
