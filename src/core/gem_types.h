#pragma once

namespace kest {

/// Communication state.
enum class GEM_COMMSTATE { DISABLE = 0, ENABLE_NOT_COMM = 1, ENABLE_COMM = 2 };

/// The control state class taken when the operator window starts.
enum class GEM_INITCONTROLSTATE { OFFLINE = 1, ONLINE = 2 };

/// Control state.
enum class GEM_CONTROLSTATE {
    EQUIP_OFFLINE = 1,
    ATTEMPT_ONLINE = 2,
    HOST_OFFLINE = 3,
    ONLINE_LOCAL = 4,
    ONLINE_REMOTE = 5,
};

/// Spool state and its substates.
enum class GEM_SPOOLSTATE {
    SPOOL_ACTIVE = 1,
    SPOOL_INACTIVE = 2,
    SPOOL_PURGE = 3,
    SPOOL_TRANSMIT = 4,
    SPOOL_NO_OUTPUT = 5,
    SPOOL_NOT_FULL = 6,
    SPOOL_FULL = 7,
};

/// Whether spooling is allowed.
enum class GEM_CONFIGSPOOL { DISABLE_SPOOL = 0, ENABLE_SPOOL = 1 };

/// The kind of the last process-program change.
enum class GEM_PPCHANGESTATUS { UNKNOWN = 0, CREATED = 1, CHANGING = 2, DELETED = 3 };

/// A W-bit setting.
enum class GEM_WBIT { CLEARED = 0, SETED = 1 };

/// The clock format: 12 characters "yymmddhhmmss" or 16 "yyyymmddhhmmss00".
enum class GEM_TIMEFORMAT { BYTES12 = 0, BYTES16 = 1 };

}  // namespace kest
