#pragma once

#include <string>

namespace kest {

/// What `GEMDB` tells the object it is attached to (the control): errors for the error trap,
/// state changes of the GEM state variables, and when the spool check must run. Keeping this
/// an interface lets the database layer depend on nothing above it. Implementations must not
/// throw.
class GEMDBEvents {
  public:
    virtual ~GEMDBEvents() = default;
    /// An error for the error trap: source "GEMDB:<Operation>", number, text.
    virtual void GEMDBError(const std::string& source, int number, const std::string& text) = 0;
    /// A state variable took a new value: service name ("GEMCommunication", "GEMControl",
    /// "GEMSpool") and state text ("EnabledCommunicating" ...), raised as "StateChanged".
    virtual void GEMDBStateChanged(const std::string& service_name, const std::string& state) = 0;
    /// The spool check must run (after "CommState" 0 or 1, "ControlState" 1, 2 or 3).
    virtual void GEMDBSpoolCheck() = 0;
};

}  // namespace kest
